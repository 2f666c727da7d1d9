#pragma once

#include <QMargins>
#include <QTextEdit>

// The feedback form's message box: a grey 12 px placeholder (the localised
// "SETTING_CONTACTUS_MESSAGE") while it is empty, 8 px inside its left and right edges. It holds
// plain text only (a paste brings no formatting), and can keep a spacing between its lines.
class NBPlaceHolderView : public QTextEdit
{
    Q_OBJECT
public:
    explicit NBPlaceHolderView(QWidget *parent = nullptr);

    QString placeholderAttributedString() const { return m_placeholder; }
    void setPlaceholderAttributedString(const QString &text);
    QMargins placeholderInsets() const { return m_insets; }

    // Whether the placeholder is drawn now.
    bool isPlaceholderShown() const;

    // Pixels between one line and the next, for every line, typed, pasted or set.
    qreal lineSpacing() const { return m_lineSpacing; }
    void setLineSpacing(qreal spacing);

protected:
    void focusInEvent(QFocusEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void applyLineSpacing();

    QMargins m_insets{4, 0, 4, 0};
    // Drawn here rather than by Qt, which puts a placeholder at the document margin.
    QString m_placeholder;
    qreal m_lineSpacing = 0;
    bool m_applyingSpacing = false;
};
