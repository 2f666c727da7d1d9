#pragma once

#include <QWidget>

#include <functional>

class AssetImageView;
class QLabel;

// "调整模式" with a small arrow: a click shows or hides the mode explanation of the line popup.
class NBTipsShowView : public QWidget
{
    Q_OBJECT

public:
    explicit NBTipsShowView(QWidget *parent = nullptr);

    std::function<void()> tapShowBlock;

    AssetImageView *iconView() const { return m_iconView; }
    QLabel *nameText() const { return m_nameText; }
    QWidget *maskView() const { return m_maskView; }

    void tapClickAction();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    AssetImageView *m_iconView = nullptr;
    QLabel *m_nameText = nullptr;
    QWidget *m_maskView = nullptr;
};
