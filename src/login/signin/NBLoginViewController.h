#pragma once

#include <QPointer>

#include "uikit/NBBaseViewController.h"
#include "login/signin/NBScanLoginView.h"
#include "login/signin/NBSignInFormController.h"

class NBMaskView;
class NBSwitchView;
class QLabel;
class QPushButton;

// The sign-in screen (800 x 500): the background picture, a back button, and on the right the
// dark card with the e-mail | phone switch, the chosen sign-in form, the QR button and the
// consent line. Every selection of a segment makes a new, empty form. The QR button lays the QR
// panel over the whole card. A sign-in ends in the main window, which replaces this screen.
class NBLoginViewController : public NBBaseViewController
{
    Q_OBJECT
public:
    explicit NBLoginViewController(QWidget *parent = nullptr);

    void viewDidLoad() override;
    void viewWillAppear() override;

    QLabel *bigImgView() const { return m_bigImgView; }
    NBMaskView *maskView() const { return m_maskView; }
    QPushButton *scanBtn() const { return m_scanBtn; }
    QWidget *baseView() const { return m_baseView; }
    QPushButton *backBtn() const { return m_backBtn; }
    NBSwitchView *switchAccountView() const { return m_switchAccountView; }
    QLabel *privacyTextView() const { return m_privacyTextView; }
    // The form shown now (none before the first selection).
    NBSignInFormController *currentForm() const { return m_currentForm; }
    NBScanLoginView *scanLoginView() const { return m_scanLoginView; }

    void scanloginAction();
    // The QR panel laid over the card, not started yet (scanloginAction starts it).
    NBScanLoginView *presentScanPanel();

    // The service's web site whose "/terms" and "/privacy" pages the consent line links.
    static QString siteUrl();
    static QString consentHtml();
    // That line as a label of links, for this screen and the registration forms alike.
    static QLabel *consentLabel(QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void showForm(int tag);

    QLabel *m_bigImgView = nullptr;
    NBMaskView *m_maskView = nullptr;
    QPushButton *m_scanBtn = nullptr;
    QWidget *m_baseView = nullptr;
    QPushButton *m_backBtn = nullptr;
    NBSwitchView *m_switchAccountView = nullptr;
    QLabel *m_privacyTextView = nullptr;
    QPointer<NBSignInFormController> m_currentForm;
    QPointer<NBScanLoginView> m_scanLoginView;
};
