#include "app/NBGuidViewController.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "uikit/NSFontHelper.h"
#include "uikit/RoundedPanel.h"
#include "uikit/UiImages.h"
#include "networking/ServiceDocumentLinks.h"
#include "networking/XSAnalyticsManager.h"
#include "uikit/PlainText.h"

QUrl NBGuidViewController::termsUrl()
{
    return ServiceDocumentLinks::termsUrl();
}

QUrl NBGuidViewController::privacyUrl()
{
    return ServiceDocumentLinks::privacyUrl();
}

namespace {

constexpr QSize kCardSize(394, 448);

QLabel *imageLabel(const QString &name, const QSize &size, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setFixedSize(size);
    label->setPixmap(UiImages::pixmap(name, size, parent->devicePixelRatioF()));
    return label;
}

QPushButton *flatButton(const QString &title, const QColor &color, QWidget *parent)
{
    auto *button = new QPushButton(title, parent);
    button->setFont(NSFontHelper::getRegularPingFangFont(12));
    button->setFlat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setCursor(Qt::PointingHandCursor);
    QPalette palette = button->palette();
    palette.setColor(QPalette::ButtonText, color);
    button->setPalette(palette);
    return button;
}

} // namespace

NBGuidViewController::NBGuidViewController(QWidget *parent)
    : NBBaseViewController(parent)
    , m_tracker([](const QString &event) { XSAnalyticsManager::shared().track(event); })
{
    resize(800, 500);
}

void NBGuidViewController::viewDidLoad()
{
    NBBaseViewController::viewDidLoad();
    setupViews();
}

void NBGuidViewController::viewWillAppear()
{
    NBBaseViewController::viewWillAppear();
    if (m_tracker)
        m_tracker(QStringLiteral("welcomePage_show"));
}

QString NBGuidViewController::consentHtml()
{
    const QString link = QStringLiteral("<a href=\"%1\" style=\"color:rgb(255,230,191); text-decoration:none\">%2</a>");
    const QString grey = QStringLiteral("<span style=\"color:rgb(136,137,161)\">%1</span>");
    return QStringLiteral("<p style=\"line-height:18px; margin:0\">") + grey.arg(QStringLiteral("使用即表示您同意我们的"))
           + link.arg(termsUrl().toString(QUrl::FullyEncoded).toHtmlEscaped(), QStringLiteral("用户协议")) + QStringLiteral("与")
           + link.arg(privacyUrl().toString(QUrl::FullyEncoded).toHtmlEscaped(), QStringLiteral("隐私政策"))
           + grey.arg(QStringLiteral("，并了解如何收集、使用和储存您的数据。")) + QStringLiteral("</p>");
}

void NBGuidViewController::setupViews()
{
    m_contentView = new RoundedPanel(QColor(42, 41, 44), 20, this);
    m_contentView->setGeometry(QRect(QPoint((width() - kCardSize.width()) / 2, (height() - kCardSize.height()) / 2),
                                     kCardSize));

    m_logoImgView = imageLabel(QStringLiteral("icon"), QSize(24, 28), m_contentView);
    m_logoImgView->move(37, 27);

    m_appnameLab = PlainText::label(QStringLiteral("翠鸟通行器Pro"), m_contentView);
    m_appnameLab->setFont(NSFontHelper::getRegularPingFangFont(12));
    QPalette white = m_appnameLab->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    m_appnameLab->setPalette(white);
    m_appnameLab->adjustSize();
    m_appnameLab->move(m_logoImgView->geometry().right() + 1 + 14,
                       m_logoImgView->geometry().center().y() - m_appnameLab->height() / 2);

    m_iconImgView = imageLabel(QStringLiteral("guid_background_icon"), QSize(293, 245), m_contentView);
    m_iconImgView->move(40, m_logoImgView->geometry().bottom() + 1);

    const int buttonWidth = kCardSize.width() - 44;
    // Its title is dark, so it stands on the light gold; the other main buttons' light titles
    // stand on the dark gold of "confirm_enable_icon": no one gold carries both at 4.5:1.
    m_visitorBtn = flatButton(QStringLiteral("匿名使用"), QColor(26, 15, 5), m_contentView);
    m_visitorBtn->setStyleSheet(QStringLiteral("QPushButton { border: none; color: rgb(26,15,5);"
                                               " border-image: url(%1) 0 0 0 0 stretch stretch; }"
                                               " QPushButton:pressed { padding-top: 1px; }")
                                    .arg(UiImages::path(QStringLiteral("confirm_enable_light_icon"))));
    m_visitorBtn->setGeometry(22, m_iconImgView->geometry().bottom() + 1 - 11, buttonWidth, 40);
    connect(m_visitorBtn, &QPushButton::clicked, this, &NBGuidViewController::visitorAction);

    m_userBtn = flatButton(QStringLiteral("登录已有账号"), QColor(222, 228, 244), m_contentView);
    m_userBtn->setStyleSheet(QStringLiteral("QPushButton { border: none; background: transparent; color: rgb(222,228,244); }"
                                            " QPushButton:pressed { padding-top: 1px; }"));
    m_userBtn->setGeometry(22, m_visitorBtn->geometry().bottom() + 1 + 11, buttonWidth, 40);
    connect(m_userBtn, &QPushButton::clicked, this, &NBGuidViewController::userAction);

    m_privacyTextView = new QLabel(m_contentView);
    m_privacyTextView->setFont(NSFontHelper::getRegularPingFangFont(12));
    m_privacyTextView->setPalette(white);
    m_privacyTextView->setTextFormat(Qt::RichText);
    m_privacyTextView->setWordWrap(true);
    m_privacyTextView->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_privacyTextView->setOpenExternalLinks(true);
    m_privacyTextView->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    m_privacyTextView->setText(consentHtml());
    const int textTop = m_userBtn->geometry().bottom() + 1 + 11;
    m_privacyTextView->setGeometry(29, textTop, kCardSize.width() - 29 - 16, kCardSize.height() - textTop);
}

void NBGuidViewController::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
}

void NBGuidViewController::trackAndRun(const QString &event, const std::function<void()> &block)
{
    if (m_tracker)
        m_tracker(event);
    if (block)
        block();
}

void NBGuidViewController::visitorAction()
{
    trackAndRun(QStringLiteral("welcomePage_tourist_click"), visitorBlock);
}

void NBGuidViewController::userAction()
{
    trackAndRun(QStringLiteral("welcomePage_accountLogin_click"), userBlock);
}
