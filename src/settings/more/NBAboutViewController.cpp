#include "settings/more/NBAboutViewController.h"

#include <QLabel>
#include <QPushButton>

#include "uikit/ButtonColors.h"
#include "uikit/NBControllerView.h"
#include "uikit/NBTrackButton.h"
#include "uikit/NSFontHelper.h"
#include "uikit/UiImages.h"
#include "common/OOAppinfoHelper.h"
#include "networking/ServiceDocumentLinks.h"
#include "web/DesktopLinkOpener.h"
#include "uikit/PlainText.h"

const QUrl NBAboutViewController::kTwitterUrl(QStringLiteral("https://twitter.com/ostrel_app"));
const QUrl NBAboutViewController::kTelegramUrl(QStringLiteral("https://t.me/ostrel_group"));

QUrl NBAboutViewController::termsUrl()
{
    return ServiceDocumentLinks::termsUrl();
}

QUrl NBAboutViewController::privacyUrl()
{
    return ServiceDocumentLinks::privacyUrl();
}

namespace {

QLabel *centredLabel(QWidget *parent, const QString &text, int px)
{
    auto *label = PlainText::label(text, parent);
    label->setFont(NSFontHelper::getRegularPingFangFont(px));
    label->setAlignment(Qt::AlignCenter);
    label->setStyleSheet(QStringLiteral("background: transparent; color: rgb(179,183,190);"));
    return label;
}

NBTrackButton *socialButton(QWidget *parent, const QString &image)
{
    auto *button = new NBTrackButton(QString(), parent);
    button->setFlat(true);
    button->setFixedSize(35, 35);
    button->setIcon(UiImages::icon(image));
    button->setIconSize(QSize(35, 35));
    button->setStyleSheet(QStringLiteral("QPushButton { border: none; background: transparent; }"));
    return button;
}

} // namespace

NBAboutViewController::NBAboutViewController(QWidget *parent)
    : NBBaseViewController(parent)
{
    resize(NBControllerView::contentSize());
}

QString NBAboutViewController::privacyHtml()
{
    const QString style = QStringLiteral("color: rgb(145,147,187); text-decoration: none;");
    return QStringLiteral("<span style=\"%1\"><a style=\"%1\" href=\"%2\">《用户协议》</a>和<a style=\"%1\" href=\"%3\">《隐私政策》</a></span>")
        .arg(style, termsUrl().toString(QUrl::FullyEncoded).toHtmlEscaped(), privacyUrl().toString(QUrl::FullyEncoded).toHtmlEscaped());
}

void NBAboutViewController::viewWillAppear()
{
    NBBaseViewController::viewWillAppear();
    // The documents live on the host in use, which may have changed since the page was made.
    if (m_privacyTextView)
        m_privacyTextView->setText(privacyHtml());
}

void NBAboutViewController::viewDidLoad()
{
    NBBaseViewController::viewDidLoad();
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("NBAboutViewController { background: black; }"));
    const int w = width();

    m_iconImageView = new QLabel(this);
    m_iconImageView->setPixmap(UiImages::pixmap(QStringLiteral("logo_Icon"), QSize(99, 99)));
    m_iconImageView->setGeometry((w - 99) / 2, 99, 99, 99);

    m_titleLab = centredLabel(this, QStringLiteral("翠鸟通行器Pro"), 12);
    m_titleLab->setWordWrap(true);
    m_titleLab->adjustSize();
    m_titleLab->setGeometry(0, m_iconImageView->geometry().bottom() + 1 + 20, w, m_titleLab->height());

    m_versionLabel = centredLabel(this, OOAppinfoHelper::getAppVersion(), 12);
    m_versionLabel->setWordWrap(true);
    m_versionLabel->adjustSize();
    m_versionLabel->setGeometry(0, m_titleLab->geometry().bottom() + 1 + 5, w, m_versionLabel->height());

    const int rowTop = m_versionLabel->geometry().bottom() + 1 + 80;
    m_twitterBtn = socialButton(this, QStringLiteral("twitter_icon"));
    m_telegramBtn = socialButton(this, QStringLiteral("telegram_icon"));
    m_twitterBtn->move((w - 94) / 2, rowTop);
    m_telegramBtn->move((w - 94) / 2 + 94 - 35, rowTop);
    connect(m_twitterBtn, &QPushButton::clicked, this, &NBAboutViewController::twitterAction);
    connect(m_telegramBtn, &QPushButton::clicked, this, &NBAboutViewController::telegramAction);

    m_contactLab = centredLabel(this, QStringLiteral("联系客服"), 10);
    m_contactLab->adjustSize();
    m_contactLab->setGeometry(0, rowTop + 35 + 10, w, m_contactLab->height());

    m_privacyTextView = new QLabel(this);
    m_privacyTextView->setFont(NSFontHelper::getRegularPingFangFont(12));
    m_privacyTextView->setTextFormat(Qt::RichText);
    m_privacyTextView->setText(privacyHtml());
    m_privacyTextView->setAlignment(Qt::AlignCenter);
    m_privacyTextView->setStyleSheet(QStringLiteral("background: transparent; color: rgb(145,147,187);"));
    m_privacyTextView->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    m_privacyTextView->setOpenExternalLinks(false);
    m_privacyTextView->setGeometry((w - 200) / 2, m_contactLab->geometry().bottom() + 1 + 32, 200, 20);
    connect(m_privacyTextView, &QLabel::linkActivated, this, [](const QString &link) { openURLString(link); });

    m_backBtn = new QPushButton(this);
    m_backBtn->setFlat(true);
    m_backBtn->setFocusPolicy(Qt::NoFocus);
    m_backBtn->setIcon(UiImages::icon(QStringLiteral("back")));
    m_backBtn->setFont(NSFontHelper::getRegularPingFangFont(14));
    m_backBtn->setStyleSheet(QStringLiteral("QPushButton { border: none; background: transparent; }"));
    ButtonColors::setTitleWithColor(m_backBtn, QStringLiteral("关于我们"), QColor(239, 243, 255));
    m_backBtn->adjustSize();
    m_backBtn->move(23, 30);
    m_backBtn->setCursor(Qt::PointingHandCursor);
    // Closes a presented page; in the split view's slot nobody presented it and nothing happens.
    connect(m_backBtn, &QPushButton::clicked, this, &NBAboutViewController::dismissAction);
}

void NBAboutViewController::twitterAction()
{
    openURLString(kTwitterUrl.toString());
}

void NBAboutViewController::telegramAction()
{
    openURLString(kTelegramUrl.toString());
}

void NBAboutViewController::openTermsUrl()
{
    openURLString(termsUrl().toString());
}

void NBAboutViewController::openPrivacyUrl()
{
    openURLString(privacyUrl().toString());
}

void NBAboutViewController::openURLString(const QString &text)
{
    const QUrl url(text, QUrl::StrictMode);
    if (text.isEmpty() || !url.isValid())
        return;
    DesktopLinkOpener::open(url);
}
