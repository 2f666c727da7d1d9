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

    QString placeholderAttributedString() const { return placeholderText(); }
    void setPlaceholderAttributedString(const QString &text);
    QMargins placeholderInsets() const { return m_insets; }

    // Whether the placeholder is drawn now.
    bool isPlaceholderShown() const;

protected:
    void focusInEvent(QFocusEvent *event) override;

private:
    QMargins m_insets{4, 0, 4, 0};
};
