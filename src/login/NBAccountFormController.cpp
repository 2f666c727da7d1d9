#include "login/NBAccountFormController.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include "app/AppDelegate.h"
#include "app/uikit/OOLoadingView.h"
#include "app/uikit/OOToastView.h"
#include "app/uikit/NSFontHelper.h"
#include "app/uikit/UiTiming.h"
#include "login/AccountReply.h"
#include "login/AccountRequest.h"
#include "login/NBLoginViewController.h"
#include "login/NBVerityCodeContentView.h"


NBAccountFormController::NBAccountFormController(QWidget *parent)
    : NBBaseViewController(parent)
{
}

QLabel *NBAccountFormController::makeConsentLabel(QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setTextFormat(Qt::RichText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setOpenExternalLinks(true);
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    label->setFont(NSFontHelper::getRegularPingFangFont(12));
    // The same line, links and site as the login screen's.
    label->setText(NBLoginViewController::consentHtml());
    return label;
}

void NBAccountFormController::setTabChain(const QList<QLineEdit *> &fields)
{
    for (const QPointer<QLineEdit> &field : std::as_const(m_tabChain)) {
        if (field)
            field->removeEventFilter(this);
    }
    m_tabChain.clear();
    for (QLineEdit *field : fields) {
        m_tabChain.append(field);
        field->installEventFilter(this);
    }
}

bool NBAccountFormController::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return NBBaseViewController::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() != Qt::Key_Tab || key->modifiers() != Qt::NoModifier)
        return NBBaseViewController::eventFilter(watched, event);
    for (int i = 0; i < m_tabChain.size(); ++i) {
        if (m_tabChain.at(i) != watched)
            continue;
        if (i + 1 < m_tabChain.size() && m_tabChain.at(i + 1))
            m_tabChain.at(i + 1)->setFocus(Qt::TabFocusReason);
        return true;
    }
    return NBBaseViewController::eventFilter(watched, event);
}

void NBAccountFormController::watchText(QLineEdit *field)
{
    connect(field, &QLineEdit::textChanged, this, [this] { updateActionButton(); });
}

void NBAccountFormController::showProblem(const AccountFormLogic::Problem &problem)
{
    if (problem.toast == AccountFormLogic::Problem::Toast::Warn)
        showWarnToast(this, problem.text);
    else
        showErrorToast(this, problem.text);
}

void NBAccountFormController::showFailure(const AccountReply &reply)
{
    if (reply.isSilent() || reply.isSuccess())
        return;
    showErrorToast(this, reply.message());
}

void NBAccountFormController::coverForm()
{
    if (m_loadingView)
        return;
    m_loadingView = OOLoadingView::cover(this);
}

void NBAccountFormController::removeCoverLater()
{
    QPointer<OOLoadingView> cover = m_loadingView;
    m_loadingView = nullptr;
    if (!cover)
        return;
    UiTiming::singleShot(1000, cover, [cover] {
        if (cover)
            cover->closeOverlay();
    });
}

void NBAccountFormController::requestCode(const QString &path, const QJsonObject &params, QAbstractButton *button,
                                          const QString &successText, QWidget *toastHost)
{
    if (m_codeRequestRunning)
        return;
    m_codeRequestRunning = true;
    coverForm();
    QPointer<QAbstractButton> codeButton(button);
    QPointer<QWidget> host(toastHost);
    AccountRequest::send(QStringLiteral("POST"), path, params, this,
                         [this, codeButton, host, successText](const std::optional<QJsonObject> &raw) {
        const AccountReply reply = AccountReply::read(raw);
        m_codeRequestRunning = false;
        removeCoverLater();
        if (!reply.isSuccess()) {
            showFailure(reply);
            return;
        }
        if (host)
            showSuccessToast(host, successText);
        if (codeButton)
            NBVerityCodeContentView::startRegisterCountdown(codeButton);
    });
}

bool NBAccountFormController::beginRequest()
{
    if (m_requestRunning)
        return false;
    m_requestRunning = true;
    updateActionButton();
    return true;
}

void NBAccountFormController::endRequest()
{
    m_requestRunning = false;
    updateActionButton();
}

void NBAccountFormController::finishSignedIn(const QString &successText)
{
    if (parentVC)
        showSuccessToast(parentVC, successText);
    AppDelegate *delegate = AppDelegate::shared();
    if (!delegate)
        return;
    // Tied to the delegate, not to the form: the user is stored, so the window follows even if
    // the form has gone meanwhile. The form stays busy, so nothing rebuilds the window twice.
    QPointer<AppDelegate> guard(delegate);
    UiTiming::singleShot(1000, delegate, [guard] {
        if (guard)
            guard->showMainWindowVC();
    });
}
