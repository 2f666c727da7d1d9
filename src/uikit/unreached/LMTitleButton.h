#pragma once

#include <QColor>
#include <QPushButton>

// Nothing in the client creates this yet (LMImageButton derives from it); the kit's hover button.
// A borderless button whose title colour follows the mouse: the down colour while pressed, the
// hover colour (when set) while the pointer is over it, else the default colour. A disabled
// button keeps the colour it has. Released outside, it sends nothing and goes back to default.
class LMTitleButton : public QPushButton
{
    Q_OBJECT
public:
    explicit LMTitleButton(const QString &title = {}, QWidget *parent = nullptr);

    QColor defaultTitleColor() const { return m_defaultTitleColor; }
    void setDefaultTitleColor(const QColor &colour);
    QColor hoverTitleColor() const { return m_hoverTitleColor; }
    void setHoverTitleColor(const QColor &colour);
    QColor downTitleColor() const { return m_downTitleColor; }
    void setDownTitleColor(const QColor &colour);

    bool isHover() const { return m_hover; }
    // The colour the title has now (invalid when the state has none).
    QColor currentTitleColor() const { return m_current; }

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

    // Recolours (and, in subclasses, re-images) for the state.
    virtual void applyState();
    void applyTitleColor();

private:
    QColor m_defaultTitleColor;
    QColor m_hoverTitleColor;
    QColor m_downTitleColor;
    QColor m_current;
    bool m_hover = false;
};
