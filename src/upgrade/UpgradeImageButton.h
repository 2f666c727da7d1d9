#pragma once

#include <QColor>
#include <QPushButton>

// The upgrade screens' buttons: a background image filling the button, a centred title in the
// regular face at 12, no border, no focus ring. While its click flag (ClickableFlag) is false it
// takes no clicks without looking disabled, as the progress window's button after its one press.
class UpgradeImageButton : public QPushButton
{
    Q_OBJECT
public:
    UpgradeImageButton(const QString &image, const QString &title, const QColor &titleColor, QWidget *parent = nullptr);

    QString image() const { return m_image; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool clickable() const;

    QString m_image;
    QColor m_titleColor;
};
