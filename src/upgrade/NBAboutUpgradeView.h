#pragma once

#include <QWidget>

#include <functional>

class QLabel;
class RoundedPanel;

// The home screen's new-version banner: a small blue rounded bar saying that a new version has
// been downloaded. The home screen creates it hidden, shows it on "preUpgradeDownloadSucceed"
// and opens the ready-to-install dialog from `clickAction`.
class NBAboutUpgradeView : public QWidget
{
    Q_OBJECT
public:
    explicit NBAboutUpgradeView(QWidget *parent = nullptr);

    std::function<void()> clickAction;

    RoundedPanel *cornerView() const { return m_cornerView; }
    QLabel *iconImgView() const { return m_iconImgView; }
    QLabel *nameLab() const { return m_nameLab; }

    void upgradeAction();
    void dismissAction();
    // The width the banner needs for its text (the home screen sizes it so).
    int preferredWidth() const;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    RoundedPanel *m_cornerView = nullptr;
    QLabel *m_iconImgView = nullptr;
    QLabel *m_nameLab = nullptr;
    bool m_pressed = false;
};
