#include "home/NBNewLineCell.h"

#include <QIconEngine>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>

#include "uikit/NBDisableButton.h"
#include "uikit/NSFontHelper.h"
#include "home/AssetImageView.h"
#include "home/LineCellLook.h"
#include "uikit/PlainText.h"

namespace {

constexpr int kBarLeft = 28;
constexpr int kBarRight = 27;
constexpr int kBarTop = 4;
constexpr int kBarHeight = 48;

const QString kInitialMark = QStringLiteral("ChatGPT 推荐线路");

void setTextColour(QLabel *label, const QColor &colour)
{
    // Inside a table the viewport's Base background would make the label draw with Text: the
    // colour set here is the one drawn wherever the cell sits.
    label->setForegroundRole(QPalette::WindowText);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

// The check marks, drawn from their SVGs at the size and pixel ratio asked for and kept in the
// asset views' cache. Qt's SVG icon engine would do the same, but loading its plugin is the
// largest single cost of the first line popup's opening.
class CheckIconEngine : public QIconEngine
{
public:
    explicit CheckIconEngine(QString name)
        : m_name(std::move(name))
    {
    }
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode, QIcon::State) override
    {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        painter->drawPixmap(rect, AssetImageView::assetPixmap(m_name, rect.size(), ratio));
    }
    // `size` is in device pixels: QIcon asks for the logical size times the screen's ratio.
    QPixmap pixmap(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        return AssetImageView::assetPixmap(m_name, size, 1.0);
    }
    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override { return size; }
    bool isNull() override { return false; }
    QIconEngine *clone() const override { return new CheckIconEngine(m_name); }

private:
    QString m_name;
};

QIcon checkIcon(const QString &name)
{
    return QIcon(new CheckIconEngine(name));
}

void showCheck(NBDisableButton *button, bool on)
{
    button->setChecked(on);
    const QString name = on ? QStringLiteral("select_on") : QStringLiteral("select_out");
    button->setProperty("assetName", name);
    static const QIcon onIcon = checkIcon(QStringLiteral("select_on"));
    static const QIcon offIcon = checkIcon(QStringLiteral("select_out"));
    button->setIcon(on ? onIcon : offIcon);
}

} // namespace

NBNewLineCell::NBNewLineCell(QWidget *parent)
    : QWidget(parent)
{
    m_contentView = new AssetImageView(QStringLiteral("lineoff"), this);
    m_contentView->setCornerRadius(24);
    m_iconView = new AssetImageView(QStringLiteral("flag"), m_contentView);
    m_iconView->setCornerRadius(11.5);
    m_nameText = PlainText::label(QStringLiteral("USA - San Francisco - 1"), m_contentView);
    m_nameText->setFont(NSFontHelper::getRegularPingFangFont(12));
    setTextColour(m_nameText, QColor(223, 226, 253));
    m_mark = kInitialMark;
    m_markText = PlainText::label(kInitialMark, m_contentView);
    m_markText->setFont(NSFontHelper::getLightPingFangFont(10));
    m_markText->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setTextColour(m_markText, QColor(129, 131, 162));
    m_markText->hide();
    m_onOrOffButton = new NBDisableButton(QString(), m_contentView);
    m_onOrOffButton->setCheckable(true);
    m_onOrOffButton->setIconSize(QSize(kCheckSize, kCheckSize));
    showCheck(m_onOrOffButton, false);
    m_svipImgView = new AssetImageView(QStringLiteral("home_line_svip_icon"), m_contentView);
    resize(375, kRowHeight);
    layoutParts();
}

void NBNewLineCell::configure(const OOHomeNodeModel &line)
{
    configure(line, LineCellLook::currentUserLevel());
}

void NBNewLineCell::configure(const OOHomeNodeModel &line, std::optional<int> userLevel)
{
    currentModel = line;
    const LineCellLook look = LineCellLook::forLine(line, userLevel);
    m_nameText->setText(look.name);
    setTextColour(m_nameText, look.nameColour);
    if (look.markText) {
        m_mark = *look.markText;
        m_markText->setVisible(look.markVisible);
    } else {
        // Rows are reused as the table scrolls: a line without a mark gets the mark of a new
        // cell (hidden), not the one of the line this row showed before.
        m_mark = kInitialMark;
        m_markText->hide();
    }
    // A recycled row must not keep the flag of the line it showed before.
    if (look.flagUrl.isValid())
        m_iconView->loadUrl(look.flagUrl, QStringLiteral("flag"));
    else
        m_iconView->setAsset(QStringLiteral("flag"));
    m_svipImgView->setVisible(look.showsBadge);
    m_onOrOffButton->setVisible(!look.showsBadge);
    showCheck(m_onOrOffButton, look.chosen);
    m_contentView->setAsset(look.chosen ? QStringLiteral("lineon") : QStringLiteral("lineoff"));
    layoutParts();
}

void NBNewLineCell::click(NBDisableButton *sender)
{
    if (sender)
        showCheck(sender, !sender->isChecked());
}

void NBNewLineCell::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutParts();
}

void NBNewLineCell::layoutParts()
{
    const int barWidth = qMax(0, width() - kBarLeft - kBarRight);
    m_contentView->setGeometry(kBarLeft, kBarTop, barWidth, kBarHeight);
    m_iconView->setGeometry(12, (kBarHeight - 23) / 2, 23, 23);
    const int nameX = 12 + 23 + 13;
    const int rightEdge = barWidth - 20;
    m_onOrOffButton->setGeometry(rightEdge - 12, (kBarHeight - 12) / 2, 12, 12);
    m_svipImgView->setGeometry(rightEdge - 53, (kBarHeight - 20) / 2, 53, 20);
    const int limit = rightEdge - 53 - 8;
    const int nameWidth = qMin(m_nameText->sizeHint().width(), qMax(0, limit - nameX));
    m_nameText->setGeometry(nameX, 0, nameWidth, kBarHeight);
    // The name comes first; the mark takes the room left and, when that is short, ends in "…"
    // instead of losing its beginning.
    const int markX = nameX + nameWidth + 21;
    const QFontMetrics metrics(m_markText->font());
    const QString shown = metrics.elidedText(m_mark, Qt::ElideRight, qMax(0, limit - markX));
    m_markText->setText(shown);
    m_markText->setGeometry(markX, 0, m_markText->sizeHint().width(), kBarHeight);
}
