#pragma once

#include <QMargins>
#include <QPlainTextEdit>

// The feedback form's message box: a grey 12 px placeholder (the localised
// "SETTING_CONTACTUS_MESSAGE") while it is empty, 8 px inside its left and right edges.
class NBPlaceHolderView : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit NBPlaceHolderView(QWidget *parent = nullptr);

    QString placeholderAttributedString() const { return m_placeholder; }
    void setPlaceholderAttributedString(const QString &text);
    QMargins placeholderInsets() const { return m_insets; }

    // Whether the placeholder is drawn now.
    bool isPlaceholderShown() const;

protected:
    void focusInEvent(QFocusEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QMargins m_insets{4, 0, 4, 0};
    // Drawn here rather than by Qt, which puts a placeholder at the document margin.
    QString m_placeholder;
};
