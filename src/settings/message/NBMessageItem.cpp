#include "settings/message/NBMessageItem.h"

#include <QLabel>
#include <QPixmapCache>
#include <QRegularExpression>
#include <QTextLayout>

#include "uikit/NSFontHelper.h"
#include "uikit/UiImages.h"
#include "uikit/PlainText.h"

namespace {

constexpr int kContentWidth = 362;
constexpr int kIcon = 35;

// Titles and texts come from the service: shown as text, never as markup. Colours through the
// palette, not style sheets: a list may hold thousands of rows.
QLabel *whiteLabel(const QFont &font, QWidget *parent)
{
    auto *label = PlainText::label(parent);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(palette);
    label->setAutoFillBackground(false);
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    return label;
}

// At most `lines` lines of `text` at `width`, the last one ending in "..." when cut.
QString clampToLines(const QString &text, const QFont &font, int width, int lines)
{
    if (width <= 0 || text.isEmpty())
        return QString();
    const QString flat = QString(text).replace(QLatin1Char('\n'), QLatin1Char(' '));
    QTextLayout layout(flat, font);
    // A word longer than the row (a link, a hostile run of letters) breaks too: two lines stay two.
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    QString shown;
    for (int i = 0; i < lines; ++i) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width);
        const QString part = flat.mid(line.textStart(), line.textLength());
        const bool last = i == lines - 1 && line.textStart() + line.textLength() < flat.size();
        if (last) {
            shown += QFontMetrics(font).elidedText(flat.mid(line.textStart()), Qt::ElideRight, width);
            break;
        }
        shown += part;
        if (i < lines - 1)
            shown += QLatin1Char('\n');
    }
    layout.endLayout();
    return shown.trimmed();
}

// The body is the service's HTML (the detail pane shows it as such); a row shows its text.
// Tags are dropped by pattern, never parsed: a document would go looking for the pictures the
// markup names, on disk among other places.
QString textOfHtml(const QString &html)
{
    static const QRegularExpression tags(QStringLiteral("<[^>]*>"));
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    QString text = QString(html).replace(tags, QStringLiteral(" "));
    text.replace(QLatin1String("&nbsp;"), QLatin1String(" "))
        .replace(QLatin1String("&lt;"), QLatin1String("<"))
        .replace(QLatin1String("&gt;"), QLatin1String(">"))
        .replace(QLatin1String("&quot;"), QLatin1String("\""))
        .replace(QLatin1String("&#39;"), QLatin1String("'"))
        .replace(QLatin1String("&amp;"), QLatin1String("&"));
    return text.replace(blanks, QStringLiteral(" ")).trimmed();
}

// The same three pictures on every row: drawn from their SVG once.
QPixmap rowPixmap(const QString &name, const QSize &size, qreal ratio)
{
    const QString key = QStringLiteral("message-row/%1/%2x%3@%4").arg(name).arg(size.width()).arg(size.height()).arg(ratio);
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap))
        return pixmap;
    pixmap = UiImages::pixmap(name, size, ratio);
    QPixmapCache::insert(key, pixmap);
    return pixmap;
}

} // namespace

NBMessageItem::Content NBMessageItem::rowContent(const NBMessageListModel &model)
{
    Content content;
    content.title = model.title.value_or(QString());
    content.desc = textOfHtml(model.body.value_or(QString()));
    content.time = model.createTime.value_or(QString());
    content.iconName = model.messageType == 1 ? QStringLiteral("message_activity") : QStringLiteral("message_system");
    content.redDot = model.isRead != 1;
    return content;
}

NBMessageItem::NBMessageItem(QWidget *parent)
    : ClickableRow(parent)
{
    setCursor(Qt::PointingHandCursor);
    m_contentView = new QWidget(this);
    m_contentView->setAutoFillBackground(true);
    m_iconImgView = new QLabel(m_contentView);
    m_iconImgView->setFixedSize(kIcon, kIcon);
    m_redDot = new QLabel(m_contentView);
    m_redDot->setFixedSize(6, 6);
    m_redDot->setPixmap(rowPixmap(QStringLiteral("red_dot_icon"), QSize(6, 6), devicePixelRatioF()));
    m_redDot->hide();
    m_titleLab = whiteLabel(NSFontHelper::getRegularPingFangFont(14), m_contentView);
    m_timeLab = whiteLabel(NSFontHelper::getLightPingFangFont(10), m_contentView);
    m_timeLab->setText(QStringLiteral("2022-11-11 11:11"));
    m_descLab = whiteLabel(NSFontHelper::getLightPingFangFont(11), m_contentView);
    m_descLab->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setSelected(false);
}

void NBMessageItem::configure(const NBMessageListModel &model)
{
    const Content content = rowContent(model);
    m_title = PlainText::displayable(content.title);
    m_desc = PlainText::displayable(content.desc);
    m_iconName = content.iconName;
    PlainText::setText(m_timeLab, content.time);
    m_iconImgView->setPixmap(rowPixmap(content.iconName, QSize(kIcon, kIcon), devicePixelRatioF()));
    m_redDot->setVisible(content.redDot);
    layoutLabels();
}

void NBMessageItem::setSelected(bool selected)
{
    m_selected = selected;
    QPalette palette = m_contentView->palette();
    palette.setColor(QPalette::Window, selected ? QColor(35, 35, 35) : QColor(22, 22, 22));
    m_contentView->setPalette(palette);
}

void NBMessageItem::resizeEvent(QResizeEvent *)
{
    layoutLabels();
}

void NBMessageItem::layoutLabels()
{
    m_contentView->setGeometry(0, 0, kContentWidth, height());
    m_iconImgView->move(28, (height() - kIcon) / 2);
    const QRect icon = m_iconImgView->geometry();
    // The dot's top 2 above the icon's, its right edge 2 right of the icon's.
    m_redDot->move(icon.right() + 1 + 2 - m_redDot->width(), icon.top() - 2);
    m_redDot->raise();
    const int textLeft = icon.right() + 1 + 14;
    const int titleTop = icon.top() - 4;
    const int titleHeight = m_titleLab->fontMetrics().height();
    // The time keeps its whole width; the title takes what is left.
    const QSize timeSize(m_timeLab->fontMetrics().horizontalAdvance(m_timeLab->text()) + 1, m_timeLab->fontMetrics().height());
    const int timeLeft = kContentWidth - 31 - timeSize.width();
    const int titleWidth = qMax(0, timeLeft - 10 - textLeft);
    m_titleLab->setGeometry(textLeft, titleTop, titleWidth, titleHeight);
    m_titleLab->setText(m_titleLab->fontMetrics().elidedText(m_title, Qt::ElideRight, titleWidth));
    m_timeLab->setGeometry(timeLeft, titleTop + (titleHeight - timeSize.height()) / 2, timeSize.width(), timeSize.height());
    const int descTop = titleTop + titleHeight + 7;
    const int descWidth = qMax(0, kContentWidth - 17 - textLeft);
    const QFontMetrics desc = m_descLab->fontMetrics();
    m_descLab->setGeometry(textLeft, descTop, descWidth, qMin(2 * desc.lineSpacing(), qMax(0, height() - descTop)));
    m_descLab->setText(clampToLines(m_desc, m_descLab->font(), descWidth, 2));
}
