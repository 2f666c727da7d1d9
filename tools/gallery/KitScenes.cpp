// Pictures of the kit's own widgets in their states, over a dark window-sized host.
#include "GalleryScene.h"

#include "uikit/ButtonColors.h"
#include "uikit/FNHUD.h"
#include "uikit/HHCircleView.h"
#include "uikit/LMGradientTitleButton.h"
#include "uikit/LMRectangleButton.h"
#include "uikit/NBAlertView.h"
#include "uikit/NBBaseLoadingView.h"
#include "uikit/NBBaseView.h"
#include "uikit/NBCustomTextField.h"
#include "uikit/NBDisableButton.h"
#include "uikit/NBGradColorView.h"
#include "uikit/NBNavView.h"
#include "uikit/NBPlaceHolderView.h"
#include "uikit/NBSecureTextView.h"
#include "uikit/NSFontHelper.h"
#include "uikit/OOLoadingView.h"
#include "uikit/OOToastView.h"
#include "uikit/PlaceholderViewController.h"
#include "uikit/RoundedPanel.h"
#include "uikit/TextFieldStyle.h"
#include "uikit/UiImages.h"
#include "uikit/ConnectImageView.h"
#include "common/ClickableFlag.h"

#include <QApplication>
#include <QEnterEvent>
#include <QLabel>
#include <QPushButton>

namespace {

void hover(QWidget *widget)
{
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QApplication::sendEvent(widget, &enter);
}

QLabel *caption(const QString &text, QWidget *parent, int x, int y)
{
    auto *label = new QLabel(text, parent);
    label->setFont(NSFontHelper::getRegularPingFangFont(12));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(179, 183, 190));
    label->setPalette(palette);
    label->move(x, y);
    return label;
}

// A screen-like background with some content, so covers and toasts have something to lie on.
QWidget *contentHost()
{
    QWidget *host = galleryWindowHost();
    auto *panel = new RoundedPanel(QColor(23, 35, 48), 8, host);
    panel->setGeometry(40, 40, 720, 300);
    caption(QStringLiteral("线路列表 Lines"), panel, 24, 20);
    return host;
}

} // namespace

OSTREL_GALLERY_SCENE("kit/placeholder_screen", 728, 500)
{
    auto *screen = new PlaceholderViewController(QStringLiteral("Home"));
    screen->ensureLoaded();
    return screen;
}

OSTREL_GALLERY_SCENE("kit/toast_error", 800, 500)
{
    QWidget *host = contentHost();
    showErrorToast(host, QStringLiteral("登录失败，请检查账号和密码 Sign-in failed"));
    return host;
}

OSTREL_GALLERY_SCENE("kit/toast_success", 800, 500)
{
    QWidget *host = contentHost();
    showSuccessToast(host, QStringLiteral("已复制到剪贴板"));
    return host;
}

OSTREL_GALLERY_SCENE("kit/toast_warning", 800, 500)
{
    QWidget *host = contentHost();
    showWarnToast(host, QStringLiteral("请先选择一条线路，再连接。线路列表会在联网后刷新，稍后再试。"));
    return host;
}

OSTREL_GALLERY_SCENE("kit/toast_weak_network", 800, 500)
{
    QWidget *host = contentHost();
    showNetWeakToast(host);
    return host;
}

OSTREL_GALLERY_SCENE("kit/hud_loading", 800, 500)
{
    QWidget *host = contentHost();
    FNHUD::showLoading(QStringLiteral("加载中"), host);
    return host;
}

OSTREL_GALLERY_SCENE("kit/hud_loading_no_text", 800, 500)
{
    QWidget *host = contentHost();
    FNHUD::showLoading(QString(), host);
    return host;
}

OSTREL_GALLERY_SCENE("kit/hud_message", 800, 500)
{
    QWidget *host = contentHost();
    FNHUD::showMessage(QStringLiteral("设置已保存"), host);
    return host;
}

OSTREL_GALLERY_SCENE("kit/hud_success", 800, 500)
{
    QWidget *host = contentHost();
    FNHUD::showSuccess(QStringLiteral("操作成功"), host);
    return host;
}

OSTREL_GALLERY_SCENE("kit/hud_error", 800, 500)
{
    QWidget *host = contentHost();
    FNHUD::showError(QStringLiteral("操作失败，请重试"), host);
    return host;
}

OSTREL_GALLERY_SCENE("kit/loading_cover", 800, 500)
{
    QWidget *host = contentHost();
    OOLoadingView::cover(host);
    return host;
}

OSTREL_GALLERY_SCENE("kit/loading_box", 800, 500)
{
    QWidget *host = contentHost();
    auto *box = new NBBaseLoadingView(host);
    box->show();
    return host;
}

OSTREL_GALLERY_SCENE("kit/alert", 800, 500)
{
    QWidget *host = contentHost();
    auto alert = std::make_unique<NBAlertView>();
    alert->titleLabel()->setText(QStringLiteral("是否确定退出登录?"));
    alert->contentView()->setCornerRadius(8);
    NBBaseView::show(std::move(alert));
    return host;
}

OSTREL_GALLERY_SCENE("kit/alert_with_tips", 800, 500)
{
    QWidget *host = contentHost();
    auto alert = std::make_unique<NBAlertView>();
    alert->titleLabel()->setText(QStringLiteral("确定清除缓存吗?"));
    alert->tipsLabel()->setText(QStringLiteral("清除后，已下载的页面和图片需要重新下载。"));
    NBBaseView::show(std::move(alert));
    return host;
}

// The sign-in form's rows: empty with placeholders, filled, shown, and with an error.
static QWidget *fieldsScene(bool filled, bool shown, bool error)
{
    QWidget *host = galleryWindowHost(QSize(375, 667));
    caption(filled ? QStringLiteral("Sign in") : QStringLiteral("登录"), host, 40, 80);

    auto *account = new RoundedPanel(QColor(34, 33, 35), 20, host);
    account->setGeometry(40, 160, 295, 48);
    auto *field = new NBCustomTextField(account);
    field->setPlaceholderText(QStringLiteral("请输入手机号或邮箱"));
    TextFieldStyle::setPlaceholder(field);
    field->setGeometry(23, 9, 249, 30);
    if (filled)
        field->setText(QStringLiteral("user@example.com"));

    auto *password = new NBSecureTextView(host);
    password->setGeometry(40, 224, 295, 48);
    password->secTextFiled()->setPlaceholderText(QStringLiteral("请输入密码"));
    TextFieldStyle::setPlaceholder(password->secTextFiled());
    if (filled)
        password->secTextFiled()->setText(QStringLiteral("secret12"));
    if (shown)
        password->secrityButton()->setChecked(true);

    auto *submit = new NBGradColorView(host);
    submit->setText(QStringLiteral("登录"));
    submit->setAttributedTitle();
    submit->setGeometry(40, 300, 295, 44);
    if (error)
        showErrorToast(host, QStringLiteral("密码错误，请重新输入"));
    return host;
}

OSTREL_GALLERY_SCENE("kit/text_fields_empty", 375, 667)
{
    return fieldsScene(false, false, false);
}

OSTREL_GALLERY_SCENE("kit/text_fields_filled", 375, 667)
{
    return fieldsScene(true, false, false);
}

OSTREL_GALLERY_SCENE("kit/text_fields_shown_password", 375, 667)
{
    return fieldsScene(true, true, false);
}

OSTREL_GALLERY_SCENE("kit/text_fields_error", 375, 667)
{
    return fieldsScene(true, false, true);
}

OSTREL_GALLERY_SCENE("kit/buttons", 800, 500)
{
    QWidget *host = galleryWindowHost();
    const QStringList states{QStringLiteral("normal"), QStringLiteral("hover"), QStringLiteral("pressed"),
                             QStringLiteral("disabled"), QStringLiteral("not clickable")};
    for (int i = 0; i < states.size(); ++i) {
        const int x = 30 + i * 150;
        caption(states.at(i), host, x, 20);

        auto *cancel = new NBDisableButton(QStringLiteral("取消"), host);
        cancel->setBackgroundImage(QStringLiteral("pop_cancle"));
        cancel->setCornerRadius(15);
        cancel->setFont(NSFontHelper::getRegularPingFangFont(12));
        ButtonColors::setFontColor(cancel, QColor(222, 228, 244));
        cancel->setGeometry(x, 50, 140, 40);

        auto *sure = new NBDisableButton(QStringLiteral("确定"), host);
        sure->setBackgroundImage(QStringLiteral("pop_sure"));
        sure->setCornerRadius(15);
        sure->setFont(NSFontHelper::getRegularPingFangFont(12));
        ButtonColors::setFontColor(sure, QColor(26, 15, 5));
        sure->setGeometry(x, 100, 140, 40);

        auto *gradient = new LMGradientTitleButton(QStringLiteral("Gradient"), host);
        gradient->setGeometry(x, 160, 140, 32);
        auto *bordered = new LMGradientTitleButton(QStringLiteral("Border"), host);
        bordered->setIsGradient(false);
        bordered->setGeometry(x, 205, 140, 32);
        auto *rectangle = new LMRectangleButton(QStringLiteral("Rectangle"), host);
        rectangle->setGeometry(x, 250, 140, 32);
        auto *code = new NBGradColorView(host);
        code->setAttributedTitle();
        code->setGeometry(x, 300, 140, 40);

        const QList<QAbstractButton *> buttons{cancel, sure, gradient, bordered, rectangle, code};
        for (QAbstractButton *button : buttons) {
            if (states.at(i) == QLatin1String("hover"))
                hover(button);
            else if (states.at(i) == QLatin1String("pressed"))
                button->setDown(true);
            else if (states.at(i) == QLatin1String("disabled"))
                button->setEnabled(false);
            else if (states.at(i) == QLatin1String("not clickable"))
                ClickableFlag::setIsClickable(button, false);
        }
    }
    return host;
}

OSTREL_GALLERY_SCENE("kit/nav_bar_and_message_box", 728, 500)
{
    QWidget *host = galleryWindowHost(QSize(728, 500));
    auto *nav = new NBNavView(host);
    nav->setGeometry(0, 0, 728, 60);
    nav->backBtn()->setText(QStringLiteral("‹"));
    nav->backBtn()->setFont(NSFontHelper::getRegularPingFangFont(28));
    nav->backBtn()->setStyleSheet(QStringLiteral("QPushButton { border: none; background: transparent; color: white; }"));
    nav->titleLab()->setText(QStringLiteral("联系我们"));

    auto *box = new RoundedPanel(QColor(23, 35, 48), 8, host);
    box->setGeometry(40, 90, 648, 160);
    auto *message = new NBPlaceHolderView(box);
    message->setGeometry(8, 8, 632, 144);
    message->setFrameShape(QFrame::NoFrame);
    QPalette palette = message->palette();
    palette.setColor(QPalette::Base, QColor(23, 35, 48));
    palette.setColor(QPalette::Text, Qt::white);
    message->setPalette(palette);

    auto *filled = new RoundedPanel(QColor(23, 35, 48), 8, host);
    filled->setGeometry(40, 270, 648, 100);
    auto *typed = new NBPlaceHolderView(filled);
    typed->setGeometry(8, 8, 632, 84);
    typed->setFrameShape(QFrame::NoFrame);
    typed->setPalette(palette);
    typed->setPlainText(QStringLiteral("连接后无法打开网页，已经重启过程序。"));
    return host;
}

OSTREL_GALLERY_SCENE("kit/circle_and_spinners", 400, 240)
{
    QWidget *host = galleryWindowHost(QSize(400, 240));
    NBCircleViewConfig config;
    config.circleLineWidth = 8;
    config.lineColor = QColor(255, 255, 255, 40);
    config.startAngle = M_PI / 2;
    config.colorArray = {QColor(47, 184, 255), QColor(58, 123, 253)};
    for (int i = 0; i < 3; ++i) {
        auto *ring = new HHCircleView(QRect(20 + i * 125, 40, 110, 110), config, host);
        ring->setProgress(i * 0.45);
    }
    auto *spinner = new ConnectImageView(host);
    spinner->setGeometry(60, 180, 30, 30);
    caption(QStringLiteral("0 / 0.45 / 0.9"), host, 150, 190);
    return host;
}
