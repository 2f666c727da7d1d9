#pragma once

#include <QJsonObject>
#include <QList>
#include <QPointer>

#include "app/uikit/NBBaseViewController.h"
#include "app/uikit/OOLoadingView.h"
#include "login/AccountFormLogic.h"
#include "login/AccountReply.h"
#include "login/NBVerityCodeContentViewProtocol.h"

class QAbstractButton;
class QLabel;
class QLineEdit;

// What the registration and password-retrieval forms share: the screen that embeds them
// (parentVC), the loading cover, the requests in flight, the code request with its countdown,
// the Tab chain through the fields, and the road to the main window after a sign-in.
//
// A request in flight keeps its button from sending again; its cover is removed one second
// after the answer, whatever the answer. Every delayed step is tied to the object it touches, so
// a form gone meanwhile is left alone.
class NBAccountFormController : public NBBaseViewController, public NBVerityCodeContentViewProtocol
{
    Q_OBJECT
public:
    explicit NBAccountFormController(QWidget *parent = nullptr);

    // The screen that embeds the form: it shows the success toasts and is closed by the form.
    QPointer<NBBaseViewController> parentVC;

    bool isRequestRunning() const { return m_requestRunning; }
    bool isCodeRequestRunning() const { return m_codeRequestRunning; }
    OOLoadingView *loadingView() const { return m_loadingView; }

    // The registration forms' consent text: the terms and privacy links of the service's website.
    static QLabel *makeConsentLabel(QWidget *parent);

protected:
    // Tab moves through fields in this order; Tab in the last one stays there.
    void setTabChain(const QList<QLineEdit *> &fields);
    bool eventFilter(QObject *watched, QEvent *event) override;

    void showProblem(const AccountFormLogic::Problem &problem);
    // A failure's text as an error toast on the form; nothing for the account exception
    // (the network layer has shown its alert).
    void showFailure(const AccountReply &reply);

    void coverForm();
    // One second later, whatever the answer.
    void removeCoverLater();

    // A code request: the cover, then on success the toast (on toastHost) and the countdown on
    // the button. Nothing while another code request runs.
    void requestCode(const QString &path, const QJsonObject &params, QAbstractButton *button,
                     const QString &successText, QWidget *toastHost);

    // The request of the form's action button. False (nothing sent) while one runs.
    bool beginRequest();
    void endRequest();

    // A signed-in user is stored: the success text on the embedding screen, then a second later
    // the main window replaces the window's content.
    void finishSignedIn(const QString &successText);

    // Re-evaluated on every text change.
    virtual void updateActionButton() = 0;
    void watchText(QLineEdit *field);

private:
    QList<QPointer<QLineEdit>> m_tabChain;
    QPointer<OOLoadingView> m_loadingView;
    bool m_requestRunning = false;
    bool m_codeRequestRunning = false;
};
