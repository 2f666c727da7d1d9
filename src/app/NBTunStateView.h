#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

class QLabel;

// The TUN indicator of the left menu: lit ("tun+") while the proxy runs with TUN on. It only
// shows the state; presses on it do nothing.
class NBTunStateView : public QWidget
{
    Q_OBJECT
public:
    explicit NBTunStateView(QWidget *parent = nullptr);

    bool isSelect() const { return m_isSelect; }
    void setIsSelect(bool select);
    QString currentImage() const { return m_isSelect ? m_selectImage : m_normalImage; }

    QLabel *imgView() const { return m_imgView; }
    QLabel *titleLab() const { return m_titleLab; }

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void applyLook();

    bool m_isSelect = false;
    QColor m_normalColor{172, 157, 139};
    QColor m_selectColor{172, 157, 139};
    QString m_normalImage = QStringLiteral("tun");
    QString m_selectImage = QStringLiteral("tun+");
    QLabel *m_imgView = nullptr;
    QLabel *m_titleLab = nullptr;
};
