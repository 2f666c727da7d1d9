#pragma once

#include <QWidget>

#include <functional>

class QLabel;

// The upgrade dialog's warning row: a warning icon and one line of text.
class NBWarnInstallView : public QWidget
{
    Q_OBJECT
public:
    explicit NBWarnInstallView(QWidget *parent = nullptr);

    std::function<void()> clickAction;

    QWidget *cornerView() const { return m_cornerView; }
    QLabel *iconImgView() const { return m_iconImgView; }
    QLabel *nameLab() const { return m_nameLab; }

    void upgradeAction();
    void dismissAction();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QWidget *m_cornerView = nullptr;
    QLabel *m_iconImgView = nullptr;
    QLabel *m_nameLab = nullptr;
};
