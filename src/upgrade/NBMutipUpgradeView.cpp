#include "upgrade/NBMutipUpgradeView.h"

#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QTextBlockFormat>
#include <QTextBrowser>
#include <QTextCursor>

#include "uikit/ButtonColors.h"
#include "uikit/LMViewHelper.h"
#include "uikit/NBBaseView.h"
#include "uikit/NBDisableButton.h"
#include "uikit/NSFontHelper.h"
#include "uikit/OOToastView.h"
#include "uikit/RoundedPanel.h"
#include "uikit/UiImages.h"
#include "uikit/WindowInUse.h"
#include "upgrade/NBMutipUpgradeModel.h"
#include "upgrade/NBWarnInstallView.h"
#include "upgrade/UpgradeDialogParts.h"

namespace {

constexpr int kPanelWidth = 325;
constexpr int kPanelHeight = 425;
const QColor kTextColor(231, 218, 204);
const QColor kLinkColor(145, 147, 187);

QLabel *makeLabel(const QString &text, int size, QWidget *parent)
{
    return UpgradeDialogParts::label(text, size, kTextColor, parent);
}

} // namespace

NBMutipUpgradeView::NBMutipUpgradeView(std::unique_ptr<NBMutipUpgradeModel> model, QWidget *parent)
    : OverlayWidget(parent)
    , m_model(model.release())
{
    m_model->setParent(this);
    m_contentView = new RoundedPanel(QColor(42, 41, 44), 15, this);
    m_contentView->setFixedSize(kPanelWidth, kPanelHeight);

    m_closeView = LMViewHelper::createImageButton(m_contentView, QStringLiteral("right_close"), QSize(30, 30));
    m_closeView->setCursor(Qt::PointingHandCursor);

    m_titleText = makeLabel(QString(), 14, m_contentView);
    m_titleText->setAlignment(Qt::AlignCenter);
    m_titleText->setWordWrap(true);
    m_tipsText = makeLabel(QString(), 12, m_contentView);
    m_subText = makeLabel(QString(), 12, m_contentView);

    m_markdowTextView = new QTextBrowser(m_contentView);
    m_markdowTextView->setFrameShape(QFrame::NoFrame);
    m_markdowTextView->setReadOnly(true);
    m_markdowTextView->setOpenLinks(false);
    m_markdowTextView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_markdowTextView->setStyleSheet(QStringLiteral("QTextBrowser { background: transparent; color: white; }"));
    m_markdowTextView->viewport()->setAutoFillBackground(false);
    QPalette links = m_markdowTextView->palette();
    links.setColor(QPalette::Link, kLinkColor);
    m_markdowTextView->setPalette(links);
    m_markdowTextView->document()->setDefaultStyleSheet(QStringLiteral("a { color: rgb(145, 147, 187); }"));

    m_indicatorSpeedText = makeLabel(QString(), 12, m_contentView);
    m_downloadRateText = makeLabel(QString(), 12, m_contentView);
    m_downloadRateText->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_progressIndicator = new QProgressBar(m_contentView);
    m_progressIndicator->setRange(0, 1000);
    m_progressIndicator->setTextVisible(false);
    m_progressIndicator->setStyleSheet(QStringLiteral(
        // A small bar drawn across the middle of its 20-high frame.
        "QProgressBar { background: rgb(70, 69, 74); border: none; border-radius: 3px; margin: 7px 0px; }"
        "QProgressBar::chunk { background: rgb(231, 180, 90); border-radius: 3px; }"));
    m_warnInstallText = new NBWarnInstallView(m_contentView);

    m_cancleButton = UpgradeDialogParts::imageButton(QStringLiteral("pop_cancle"), QStringLiteral("暂不更新"), QColor(222, 228, 244), m_contentView);
    m_confirmButton = UpgradeDialogParts::imageButton(QStringLiteral("pop_sure"), QStringLiteral("立即更新"), QColor(26, 15, 5), m_contentView);

    connect(m_closeView, &QPushButton::clicked, m_model, &NBMutipUpgradeModel::closeAction);
    connect(m_cancleButton, &QPushButton::clicked, m_model, &NBMutipUpgradeModel::cancelAction);
    connect(m_confirmButton, &QPushButton::clicked, m_model, &NBMutipUpgradeModel::confirmPressed);
    connect(m_model, &NBMutipUpgradeModel::changed, this, &NBMutipUpgradeView::render);
    connect(m_model, &NBMutipUpgradeModel::removeRequested, this, &OverlayWidget::closeOverlay);
    render();
}

NBMutipUpgradeView *NBMutipUpgradeView::present(std::unique_ptr<NBMutipUpgradeModel> model)
{
    if (!model)
        return nullptr;
    return NBBaseView::show(std::make_unique<NBMutipUpgradeView>(std::move(model)));
}

void NBMutipUpgradeView::toastOverWindow(const QString &message)
{
    QWidget *host = WindowInUse::contentWidget();
    if (!host)
        return;
    showErrorToast(host, message);
}

void NBMutipUpgradeView::render()
{
    const NBMutipUpgradeModel::Look &look = m_model->look();
    m_titleText->setText(look.titleText);
    m_tipsText->setText(look.tipsText);
    m_subText->setText(look.subText);

    if (m_notesShown != look.notesText) {
        m_notesShown = look.notesText;
        showNotes(look.notesText);
    }

    m_indicatorSpeedText->setText(look.indicatorSpeedText);
    m_downloadRateText->setText(look.downloadRateText);
    m_progressIndicator->setValue(int(std::clamp(look.progressValue, 0.0, 1.0) * 1000.0));
    m_warnInstallText->nameLab()->setText(look.warnText);

    m_closeView->setVisible(look.closeVisible);
    m_cancleButton->setVisible(look.cancelVisible);
    m_indicatorSpeedText->setVisible(look.progressVisible);
    m_downloadRateText->setVisible(look.progressVisible);
    m_progressIndicator->setVisible(look.progressVisible);
    m_warnInstallText->setVisible(look.warnVisible);
    ButtonColors::setTitleWithColor(m_confirmButton, look.confirmTitle, QColor(26, 15, 5));
    m_confirmButton->setEnabled(look.confirmEnabled);
    layoutPanel();
}

void NBMutipUpgradeView::showNotes(const QString &notes)
{
    // Laid out again only when they change, not at every progress report.
    QTextDocument *document = m_markdowTextView->document();
    document->clear();
    QTextCursor cursor(document);
    QTextBlockFormat block;
    block.setAlignment(Qt::AlignHCenter);
    block.setLineHeight(7, QTextBlockFormat::LineDistanceHeight);
    QTextCharFormat characters;
    characters.setFont(NSFontHelper::getRegularPingFangFont(12));
    characters.setForeground(QColor(136, 137, 161));
    cursor.setBlockFormat(block);
    cursor.setBlockCharFormat(characters);
    cursor.insertText(notes, characters);
}

void NBMutipUpgradeView::layoutPanel()
{
    const NBMutipUpgradeModel::Look &look = m_model->look();
    m_closeView->setGeometry(kPanelWidth - 14 - 30, 14, 30, 30);
    m_titleText->setGeometry(49, 22, kPanelWidth - 2 * 49, 30);
    m_tipsText->setGeometry(26, 68, kPanelWidth - 52, 20);
    m_subText->setGeometry(26, 100, kPanelWidth - 52, 20);

    const int buttonTop = kPanelHeight - 22 - 40;
    // The install phase puts the warning row 30 above the button; the home screen's
    // ready-to-install look puts it 10 above the button and 40 below the notes.
    const bool readyToInstall = look.phase == NBMutipUpgradeModel::Phase::ReadyToInstall;
    const int warnTop = readyToInstall ? buttonTop - 10 - 20 : buttonTop - 30 - 20;
    int notesBottom = buttonTop - 40;
    if (look.progressVisible)
        notesBottom = 297;
    else if (readyToInstall)
        notesBottom = warnTop - 40;
    else if (look.warnVisible)
        notesBottom = warnTop - 10;
    m_markdowTextView->setGeometry(26, 142, kPanelWidth - 52, notesBottom - 142);

    m_indicatorSpeedText->setGeometry(22, kPanelHeight - 100 - 20, kPanelWidth - 44, 20);
    m_downloadRateText->setGeometry(22, kPanelHeight - 100 - 20, kPanelWidth - 44, 20);
    m_progressIndicator->setGeometry(22, kPanelHeight - 100 + 3, kPanelWidth - 44, 20);
    m_warnInstallText->setGeometry(22, warnTop, kPanelWidth - 44, 20);

    if (look.cancelVisible) {
        const int width = (kPanelWidth - 3 * 22) / 2;
        m_cancleButton->setGeometry(22, buttonTop, width, 40);
        m_confirmButton->setGeometry(kPanelWidth - 22 - width, buttonTop, width, 40);
    } else {
        m_confirmButton->setGeometry(22, buttonTop, kPanelWidth - 44, 40);
    }
}

void NBMutipUpgradeView::resizeEvent(QResizeEvent *event)
{
    OverlayWidget::resizeEvent(event);
    m_contentView->move((width() - kPanelWidth) / 2, (height() - kPanelHeight) / 2);
}

void NBMutipUpgradeView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0, 0, 0, 77));
}
