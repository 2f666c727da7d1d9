#include "settings/feedback/FeedbackTextLayout.h"

#include <QFontMetricsF>
#include <QStringView>
#include <QTextLayout>
#include <QTextOption>

#include <vector>

FeedbackTextLayout::FeedbackTextLayout(const QString &text, const QFont &font, int width)
    : m_text(text)
    , m_font(font)
    , m_width(qMax(1, width))
{
}

FeedbackTextLayout::~FeedbackTextLayout() = default;

bool FeedbackTextLayout::layOutSome(int characters)
{
    const int start = m_position;
    while (!isComplete() && m_position - start < characters)
        layOutWindow();
    return isComplete();
}

void FeedbackTextLayout::addLine(int start, int length, qreal lineHeight)
{
    m_lines.append({start, length, m_height, lineHeight});
    m_height += lineHeight;
}

void FeedbackTextLayout::layOutWindow()
{
    // The window ends at the paragraph's end when that is near, else after kWindow characters;
    // the search for the end never looks further, so a text without breaks costs no more.
    const QStringView ahead = QStringView(m_text).mid(m_position, kWindow);
    const qsizetype newline = ahead.indexOf(QLatin1Char('\n'));
    const int length = newline >= 0 ? int(newline) : int(ahead.size());
    const bool endsParagraph = newline >= 0 || m_position + length >= m_text.size();
    if (length == 0) {
        // An empty line keeps its place.
        addLine(m_position, 0, QFontMetricsF(m_font).lineSpacing());
        m_position += 1;
        return;
    }
    QTextLayout layout(m_text.mid(m_position, length), m_font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.setCacheEnabled(false);
    struct Piece
    {
        int start;
        int length;
        qreal height;
    };
    std::vector<Piece> pieces;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLeadingIncluded(true);
        line.setLineWidth(m_width);
        pieces.push_back({line.textStart(), line.textLength(), line.height()});
    }
    layout.endLayout();
    // The window's last line may have been cut by the window, not by the width: it is laid
    // out again as the first line of the next window.
    size_t kept = pieces.size();
    if (!endsParagraph && kept > 1)
        --kept;
    int consumed = 0;
    for (size_t i = 0; i < kept; ++i) {
        addLine(m_position + pieces[i].start, pieces[i].length, pieces[i].height);
        consumed = pieces[i].start + pieces[i].length;
    }
    if (endsParagraph)
        consumed = length + (newline >= 0 ? 1 : 0);
    m_position += qMax(1, consumed);
}
