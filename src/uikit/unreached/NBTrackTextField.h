#pragma once

#include <QLabel>

// Nothing in the client creates this yet; it is kept as the kit's one-line link text.
// A text used as a link: tracks whether the pointer is inside (pointing hand then) and reports
// a press as activated().
class NBTrackTextField : public QLabel
{
    Q_OBJECT
public:
    explicit NBTrackTextField(const QString &text = {}, QWidget *parent = nullptr);

    bool isMouseInside() const { return m_isMouseInside; }

Q_SIGNALS:
    void activated();

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    bool m_isMouseInside = false;
};
