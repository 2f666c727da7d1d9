#include "login/form/NBAccountFormController.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QLineEdit>

#include "uikit/ImageTitleButton.h"
#include "uikit/OOLoadingView.h"
#include "uikit/OOToastView.h"
#include "uikit/UiTiming.h"
#include "login/form/AccountFormViews.h"
#include "login/form/AccountReply.h"
#include "login/form/SignInCompletion.h"
#include "login/code/NBVerityCodeContentView.h"

NBAccountFormController::NBAccountFormController(QWidget *parent)
    : NBBaseViewController(parent)
{
    resize(375, 667);
}

void NBAccountFormController::viewDidLoad()
{
    NBBaseViewController::viewDidLoad();
    setAttribute(Qt::WA_TranslucentBackground);
}

void NBAccountFormController::dismissAction()
{
    QPointer<NBBaseViewController> screen = parentVC;
    // Out of its screen before the screen goes, and out of the window with it.
    if (NBBaseViewController *parent = parentViewController())
        parent->unembedChildViewController(this);
    if (screen)
        screen->dismissController();
}

void NBAccountFormController::setFormFields(const QList<QLineEdit *> &tabOrder, const QList<QLineEdit *> &required,
                                            ImageTitleButton *actionButton)
{
    m_requiredFields.clear();
    for (QLineEdit *field : required)
        m_requiredFields.append(field);
    m_actionButton = actionButton;
    for (QLineEdit *field : tabOrder)
        connect(field, &QLineEdit::textChanged, this, [this] { updateActionButton(); });
    setTabChain(tabOrder);
}

void NBAccountFormController::updateActionButton()
{
    if (!m_actionButton)
        return;
    QStringList texts;
    for (const QPointer<QLineEdit> &field : std::as_const(m_requiredFields))
        texts.append(field ? field->text() : QString());
    AccountFormViews::setActionEnabled(m_actionButton, AccountFormLogic::allFilled(texts) && !m_requestRunning);
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

void NBAccountFormController::resizeEvent(QResizeEvent *event)
{
    NBBaseViewController::resizeEvent(event);
    layoutViews();
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

void NBAccountFormController::requestCode(OONetWorkTool::AccountCall send, const QJsonObject &params, QAbstractButton *button,
                                          const QString &successText, QWidget *toastHost)
{
    if (m_codeRequestRunning)
        return;
    m_codeRequestRunning = true;
    coverForm();
    QPointer<QAbstractButton> codeButton(button);
    QPointer<QWidget> host(toastHost);
    QPointer<NBAccountFormController> self(this);
    send(params, [self, codeButton, host, successText](std::optional<QJsonObject> raw, std::optional<NetError>) {
        if (!self)
            return;
        const AccountReply reply = AccountReply::read(raw);
        self->m_codeRequestRunning = false;
        self->removeCoverLater();
        if (!reply.isSuccess()) {
            self->showFailure(reply);
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

void NBAccountFormController::sendSignIn(OONetWorkTool::AccountCall send, const QJsonObject &params,
                                         const QString &successText, Cover cover)
{
    if (cover == Cover::Shown)
        coverForm();
    QPointer<NBAccountFormController> self(this);
    send(params, [self, successText, cover](std::optional<QJsonObject> raw, std::optional<NetError>) {
        // Read even when the form is gone: the reader stores the user the service signed in,
        // and the main window follows. Only the form's own feedback needs the form.
        const AccountReply reply = AccountReply::readSignIn(raw);
        if (reply.isSuccess())
            SignInCompletion::showMainWindowLater();
        if (!self)
            return;
        if (cover == Cover::Shown)
            self->removeCoverLater();
        if (!reply.isSuccess()) {
            self->endRequest();
            self->showFailure(reply);
            return;
        }
        self->finishSignedIn(successText);
    });
}

void NBAccountFormController::resetPassword(const QString &password, const QString &again, const QJsonObject &params,
                                            std::function<void()> then)
{
    if (const auto problem = AccountFormLogic::checkRetrieval(password, again)) {
        showProblem(*problem);
        return;
    }
    if (!beginRequest())
        return;
    QPointer<NBAccountFormController> self(this);
    OONetWorkTool::getBackPassword(params, [self, then = std::move(then)](std::optional<QJsonObject> raw,
                                                                          std::optional<NetError>) {
        if (!self)
            return;
        const AccountReply reply = AccountReply::read(raw);
        if (!reply.isSuccess()) {
            self->endRequest();
            self->showFailure(reply);
            return;
        }
        then();
    });
}

void NBAccountFormController::finishSignedIn(const QString &successText)
{
    // The form stays busy, so nothing sends again before the window is rebuilt.
    if (parentVC)
        showSuccessToast(parentVC, successText);
}
