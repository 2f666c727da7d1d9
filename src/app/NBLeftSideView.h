#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

class QLabel;

// One row of the left menu: a 24 x 24 picture over a small title, with an optional red dot at
// the picture's top-right corner. A press anywhere on the row emits clicked(). The title takes the
// row's width, in a smaller font when a translation would not fit on one line.
class NBLeftSideView : public QWidget
{
    Q_OBJECT
public:
    explicit NBLeftSideView(QWidget *parent = nullptr);

    void configure(const QString &title, const QString &normalImage, const QString &selectImage,
                   const QColor &normalColor, const QColor &selectColor);

    bool isSelect() const { return m_isSelect; }
    void setSelect(bool select);

    QString currentImage() const { return m_isSelect ? m_selectImage : m_normalImage; }
    QColor currentColor() const { return m_isSelect ? m_selectColor : m_normalColor; }
    QString title() const;

    QLabel *imgView() const { return m_imgView; }
    QLabel *titleLab() const { return m_titleLab; }
    QLabel *redDot() const { return m_redDot; }

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void applyLook();

    bool m_isSelect = false;
    QColor m_normalColor = Qt::black;
    QColor m_selectColor = Qt::black;
    QString m_normalImage;
    QString m_selectImage;
    QLabel *m_imgView = nullptr;
    QLabel *m_titleLab = nullptr;
    QLabel *m_redDot = nullptr;
};
