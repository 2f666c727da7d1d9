#pragma once

#include <QPointer>

#include "uikit/NBBaseViewController.h"
#include "login/form/NBAccountFormController.h"

class NBSwitchView;
class QLabel;
class RoundedPanel;

// What the registration and password-retrieval screens share: a background picture, a dark card
// on the right with the e-mail / phone switch, and under the switch one form at a time. Every
// selection, also of the segment already chosen, makes a fresh, empty form and sends its event;
// the first selection (e-mail) comes a moment after loading.
class NBFormSwitchViewController : public NBBaseViewController
{
    Q_OBJECT
public:
    explicit NBFormSwitchViewController(QWidget *parent = nullptr);

    void viewDidLoad() override;
    // The shown form comes and goes with the screen (its country list closes with it).

    NBSwitchView *switchAccountView() const { return m_switchAccountView; }
    RoundedPanel *contentView() const { return m_contentView; }
    QLabel *backImageView() const { return m_backImageView; }
    QWidget *baseView() const { return m_baseView; }
    // The form shown now (nothing before the first selection).
    NBAccountFormController *currentForm() const { return m_currentForm; }

    // The switch's block: the form of that segment (1 e-mail, any other phone).
    void showForm(int tag);

protected:
    struct FormChoice
    {
        NBAccountFormController *form = nullptr;
        QString event;
    };
    virtual FormChoice makeForm(int tag) = 0;
    // The card's frame in the screen, and the switch's frame in the card.
    virtual QRect cardFrame() const = 0;
    virtual QRect switchFrame() const = 0;

    void resizeEvent(QResizeEvent *event) override;
    void layoutViews();

private:
    QLabel *m_backImageView = nullptr;
    RoundedPanel *m_contentView = nullptr;
    NBSwitchView *m_switchAccountView = nullptr;
    QWidget *m_baseView = nullptr;
    QPointer<NBAccountFormController> m_currentForm;
};
