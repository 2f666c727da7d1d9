#pragma once

#include <QJsonObject>
#include <QList>
#include <QPointer>

#include <functional>

#include "uikit/NBBaseViewController.h"
#include "uikit/OOLoadingView.h"
#include "login/form/AccountFormLogic.h"
#include "login/form/AccountReply.h"
#include "login/code/NBVerityCodeContentViewProtocol.h"
#include "networking/OONetWorkTool.h"

class ImageTitleButton;
class QAbstractButton;
class QLineEdit;

// What the registration and password-retrieval forms share: the screen that embeds them
// (parentVC), the loading cover, the requests in flight, the code request with its countdown,
// the Tab chain through the fields, the action button that follows the fields, and the road to
// the main window after a sign-in. Each form adds its account row and what it sends.
//
// A request in flight keeps its button from sending again; its cover is removed one second
// after the answer, whatever the answer. Every delayed step is tied to the object it touches, so
// a form gone meanwhile is left alone.
class NBAccountFormController : public NBBaseViewController, public NBVerityCodeContentViewProtocol
{
    Q_OBJECT
public:
    explicit NBAccountFormController(QWidget *parent = nullptr);

    void viewDidLoad() override;

    // The screen that embeds the form: it shows the success toasts and is closed by the form.
    QPointer<NBBaseViewController> parentVC;

    bool isRequestRunning() const { return m_requestRunning; }
    bool isCodeRequestRunning() const { return m_codeRequestRunning; }
    OOLoadingView *loadingView() const { return m_loadingView; }

    // Back to sign-in: the form leaves the screen that embeds it and closes it.
    void dismissAction();

protected:
    // The fields in Tab order (Tab in the last one stays there). Every change re-evaluates the
    // action button: enabled while each required field holds text and no request runs.
    void setFormFields(const QList<QLineEdit *> &tabOrder, const QList<QLineEdit *> &required,
                       ImageTitleButton *actionButton);
    void updateActionButton();
    bool eventFilter(QObject *watched, QEvent *event) override;

    // Places the rows; called on every resize.
    virtual void layoutViews() {}
    void resizeEvent(QResizeEvent *event) override;

    void showProblem(const AccountFormLogic::Problem &problem);
    // A failure's text as an error toast on the form; nothing for the account exception
    // (the network layer has shown its alert).
    void showFailure(const AccountReply &reply);

    void coverForm();
    // One second later, whatever the answer.
    void removeCoverLater();

    // A code request: the cover, then on success the toast (on toastHost) and the countdown on
    // the button. Nothing while another code request runs.
    void requestCode(OONetWorkTool::AccountCall send, const QJsonObject &params, QAbstractButton *button,
                     const QString &successText, QWidget *toastHost);

    // The request of the form's action button. False (nothing sent) while one runs.
    bool beginRequest();
    void endRequest();

    // A request whose reply carries the user (a registration, the sign-in after a reset), sent
    // while the action button's request runs: on success the road to the main window, also when
    // the form has gone meanwhile; on failure the form is free again.
    enum class Cover { Shown, None };
    void sendSignIn(OONetWorkTool::AccountCall send, const QJsonObject &params, const QString &successText,
                    Cover cover);
    // The retrieval forms' reset: the two entries checked, the reset sent, and on success `then`.
    void resetPassword(const QString &password, const QString &again, const QJsonObject &params,
                       std::function<void()> then);

    // A signed-in user is stored: the success text on the embedding screen (the main window
    // follows a second later, see SignInCompletion).
    void finishSignedIn(const QString &successText);

private:
    void setTabChain(const QList<QLineEdit *> &fields);

    QList<QPointer<QLineEdit>> m_tabChain;
    QList<QPointer<QLineEdit>> m_requiredFields;
    QPointer<ImageTitleButton> m_actionButton;
    QPointer<OOLoadingView> m_loadingView;
    bool m_requestRunning = false;
    bool m_codeRequestRunning = false;
};
