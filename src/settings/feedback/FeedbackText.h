#pragma once

#include <QFont>
#include <QString>

// Measures and counts of the feedback screens' texts.
class FeedbackText
{
public:
    // Characters as the user sees them (an emoji, a letter with its accents: one each).
    static int visibleLength(const QString &text);
    // The form's and the reply's lower bound on a feedback text.
    static constexpr int kMinimumLength = 5;

    // The bounding height of a text laid out at `width` (unlimited height, words wrapped), the
    // bubbles' text font unless another is given.
    static qreal height(const QString &text, int width, const QFont &font = bubbleFont());
    static QFont bubbleFont();
    // A feedback or reply as the conversation shows it: whole, however long, without the control
    // characters that would garble a line. What the user wrote and sent can be read back.
    static QString whole(const QString &text);
    // The text as a label of `width` shows it in at most `maxLines` wrapped lines: unchanged when
    // it fits, else cut after the last whole line that fits and the final line ended in "…".
    static QString elidedLines(const QString &text, const QFont &font, int width, int maxLines);

private:
    FeedbackText() = delete;
};
