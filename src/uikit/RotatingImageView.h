#pragma once

#include <QPixmap>
#include <QPointer>
#include <QWidget>

class QVariantAnimation;

// An image turning about its centre, one turn per second, for ever: the spinners of the loading
// covers. The image is drawn at imageSize (the widget's size by default), centred.
class RotatingImageView : public QWidget
{
    Q_OBJECT
public:
    explicit RotatingImageView(const QString &imageName, QWidget *parent = nullptr);

    void setImageSize(const QSize &size);
    QString imageName() const { return m_imageName; }

    // Starts the endless turn; clockwise on screen when true. A second call replaces the first.
    // There is no stop: the turn ends with the view.
    void setRotating(bool clockwise);
    bool isRotating() const;
    bool isClockwise() const { return m_clockwise; }
    qreal angle() const { return m_angle; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_imageName;
    QSize m_imageSize;
    qreal m_angle = 0;
    bool m_clockwise = true;
    QPointer<QVariantAnimation> m_animation;
};
