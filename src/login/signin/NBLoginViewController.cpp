#include "login/signin/NBLoginViewController.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

#include "app/AppDelegate.h"
#include "uikit/LMViewHelper.h"
#include "uikit/NBMaskView.h"
#include "uikit/NSFontHelper.h"
#include "uikit/UiImages.h"
#include "uikit/UiTiming.h"
#include "login/signin/NBEmailLoginViewController.h"
#include "login/signin/NBPhoneLoginViewController.h"
#include "login/signin/NBScanLoginView.h"
#include "login/signin/NBSwitchView.h"
#include "networking/XSAnalyticsManager.h"

namespace {

const QColor kCardColour(42, 41, 44);

// The card: a rounded dark panel that stops clicks from reaching the picture behind it.
class LoginCard : public NBMaskView
{
public:
    using NBMaskView::NBMaskView;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()), 20, 20);
        painter.fillPath(path, kCardColour);
    }
};

QPushButton *imageButton(const QString &image, QWidget *parent)
{
    QPushButton *button = LMViewHelper::createImageButton(
        parent, image, image == QLatin1String("back") ? QSize(18, 18) : QSize(35, 35));
    button->setCursor(Qt::PointingHandCursor);
    button->resize(35, 35);
    return button;
}

} // namespace

NBLoginViewController::NBLoginViewController(QWidget *parent)
    : NBBaseViewController(parent)
{
    resize(800, 500);
}

QString NBLoginViewController::siteUrl()
{
    return QStringLiteral("https://www.ostrel.example");
}

QString NBLoginViewController::consentHtml()
{
    const QString link = QStringLiteral("<a href=\"%1\" style=\"color:rgb(222,180,132); text-decoration:none\">%2</a>");
    const QString grey = QStringLiteral("<span style=\"color:rgb(136,137,161)\">%1</span>");
    return QStringLiteral("<p style=\"margin:0\">") + grey.arg(QStringLiteral("使用即表示您同意我们的"))
           + link.arg(siteUrl() + QStringLiteral("/terms"), QStringLiteral("用户协议")) + grey.arg(QStringLiteral("与"))
           + link.arg(siteUrl() + QStringLiteral("/privacy"), QStringLiteral("隐私政策"))
           + grey.arg(QStringLiteral("，并了解如何收集、使用和储存您的数据。")) + QStringLiteral("</p>");
}

QLabel *NBLoginViewController::consentLabel(QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setFont(NSFontHelper::getRegularPingFangFont(12));
    label->setTextFormat(Qt::RichText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setOpenExternalLinks(true);
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    label->setText(consentHtml());
    return label;
}

void NBLoginViewController::viewDidLoad()
{
    NBBaseViewController::viewDidLoad();
    m_bigImgView = new QLabel(this);
    m_bigImgView->setGeometry(rect());
    m_bigImgView->setPixmap(UiImages::pixmap(QStringLiteral("big_icon"), size(), devicePixelRatioF()));

    m_maskView = new LoginCard(this);
    m_maskView->setGeometry(width() - 11 - 384, 16, 384, height() - 32);

    m_backBtn = imageButton(QStringLiteral("back"), this);
    m_backBtn->move(23, 30);
    connect(m_backBtn, &QPushButton::clicked, this, &NBBaseViewController::dismissController);

    m_switchAccountView = new NBSwitchView(m_maskView);
    m_switchAccountView->setGeometry((m_maskView->width() - 348) / 2, 69, 348, 48);

    m_scanBtn = imageButton(QStringLiteral("scan_icon"), m_maskView);
    m_scanBtn->move(m_maskView->width() - 21 - 35, 15);
    connect(m_scanBtn, &QPushButton::clicked, this, &NBLoginViewController::scanloginAction);

    const int consentTop = m_maskView->height() - 23 - 49;
    m_privacyTextView = consentLabel(m_maskView);
    m_privacyTextView->setGeometry(23, consentTop, m_maskView->width() - 46, 49);

    const int baseTop = m_switchAccountView->geometry().bottom() + 1 + 12;
    m_baseView = new QWidget(m_maskView);
    m_baseView->setGeometry(0, baseTop, m_maskView->width(), consentTop - baseTop);

    QPointer<NBLoginViewController> self(this);
    m_switchAccountView->switchBlock = [self](int tag) {
        if (self)
            self->showForm(tag);
    };
    UiTiming::singleShot(10, this, [self] {
        if (self)
            self->m_switchAccountView->selectButton(1);
    });
}

void NBLoginViewController::viewWillAppear()
{
    NBBaseViewController::viewWillAppear();
    XSAnalyticsManager::shared().track(QStringLiteral("loginPage_open"));
}

void NBLoginViewController::showForm(int tag)
{
    NBSignInFormController *form = nullptr;
    if (tag == 1)
        form = new NBEmailLoginViewController(m_baseView);
    else
        form = new NBPhoneLoginViewController(m_baseView);
    form->parentVC = this;
    XSAnalyticsManager::shared().track(tag == 1 ? QStringLiteral("loginPage_email_login_click")
                                                : QStringLiteral("loginPage_phone_login_click"));
    if (m_currentForm) {
        unembedChildViewController(m_currentForm);
        m_currentForm->deleteLater();
    }
    form->setGeometry(m_baseView->rect());
    m_currentForm = form;
    embedChildViewController(form, m_baseView);
    if (m_scanLoginView)
        m_scanLoginView->raise();
}

void NBLoginViewController::scanloginAction()
{
    presentScanPanel()->start();
}

NBScanLoginView *NBLoginViewController::presentScanPanel()
{
    auto *panel = new NBScanLoginView(m_maskView);
    // The user is stored by then: the main window comes even when this screen went meanwhile.
    panel->loginBlock = [] {
        if (AppDelegate *app = AppDelegate::shared())
            app->showMainWindowVC();
    };
    panel->setGeometry(m_maskView->rect());
    panel->show();
    panel->raise();
    m_scanLoginView = panel;
    return panel;
}

void NBLoginViewController::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(18, 18, 27));
}
