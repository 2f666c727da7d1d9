#pragma once

#include <QFont>
#include <QList>
#include <QString>

#include <memory>

class QTextLayout;

// Breaks a text into wrapped lines at one width, a bounded piece at a time, so that a text of any
// length can be laid out between other events instead of in one long stop. The lines are the
// ones one layout of the whole text would give: each piece is laid out from the start of a line
// in a window of the text, and only the lines the window holds whole are kept.
class FeedbackTextLayout
{
public:
    struct Line
    {
        int start = 0;
        int length = 0;
        qreal y = 0;
        qreal height = 0;
    };

    FeedbackTextLayout(const QString &text, const QFont &font, int width);
    ~FeedbackTextLayout();
    FeedbackTextLayout(const FeedbackTextLayout &) = delete;
    FeedbackTextLayout &operator=(const FeedbackTextLayout &) = delete;

    // Lays out lines until at least `characters` more characters are placed or the text ends;
    // the work done is in proportion to `characters`, whatever the text's length. True when the
    // whole text is laid out.
    bool layOutSome(int characters);
    bool isComplete() const { return m_position >= m_text.size(); }
    // The height of the lines laid out so far.
    qreal height() const { return m_height; }
    const QList<Line> &lines() const { return m_lines; }
    const QString &text() const { return m_text; }
    const QFont &font() const { return m_font; }
    int width() const { return m_width; }

    // The characters laid out in one step are never fewer than this, so that every window holds
    // at least one whole line.
    static constexpr int kWindow = 2048;

private:
    void layOutWindow();
    void addLine(int start, int length, qreal lineHeight);

    QString m_text;
    QFont m_font;
    int m_width = 0;
    int m_position = 0;
    qreal m_height = 0;
    QList<Line> m_lines;
};
