#pragma once

#include <QPushButton>

// A borderless push button drawn from a background image (scaled to fill, clipped to a corner
// radius) with a centred title in the ButtonText colour. Pressed, it darkens; under the pointer
// it lightens a little; disabled, it fades. The base of the kit's image buttons.
class ImageTitleButton : public QPushButton
{
    Q_OBJECT
public:
    explicit ImageTitleButton(const QString &title = {}, QWidget *parent = nullptr);

    QString backgroundImage() const { return m_backgroundImage; }
    void setBackgroundImage(const QString &name);
    qreal cornerRadius() const { return m_radius; }
    void setCornerRadius(qreal radius);
    bool isHover() const { return m_hover; }

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_backgroundImage;
    qreal m_radius = 0;
    bool m_hover = false;
};
