#pragma once

#include <QPointer>
#include <QString>

#include "uikit/NBBaseView.h"

class OONoNetworkStepView;
class OONoNetworkTipView;

// The no-network popup: a transparent cover over the window's content with the failure text and
// three troubleshooting steps stacked at the bottom centre. A press outside the steps closes it.
//
// At most one is shown. "Shown" is the popup's own life, not a separate flag: a popup that
// closes, or that goes with the content it sat on (a language change, a sign-in), leaves the way
// free for the next one, and a popup that could not be shown (no window yet) never blocks one.
class OONoNetworkPopupView : public NBBaseView
{
    Q_OBJECT
public:
    explicit OONoNetworkPopupView(QWidget *parent = nullptr);
    ~OONoNetworkPopupView() override;

    // Shows a popup with that text over the window in use, unless one is shown already. The new
    // popup, or nothing when none was added.
    static OONoNetworkPopupView *showNoNetwork(const QString &text);
    static OONoNetworkPopupView *current();
    static bool isShown() { return current() != nullptr; }
    // Closes the shown popup, if any.
    static void closeCurrent();

    void setText(const QString &text);
    OONoNetworkTipView *tipView() const { return m_tipView; }
    OONoNetworkStepView *firstStepView() const { return m_steps[0]; }
    OONoNetworkStepView *secondStepView() const { return m_steps[1]; }
    OONoNetworkStepView *thirdStepView() const { return m_steps[2]; }

    void layoutBoxes();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    static QPointer<OONoNetworkPopupView> s_current;

    OONoNetworkTipView *m_tipView = nullptr;
    OONoNetworkStepView *m_steps[3] = {nullptr, nullptr, nullptr};
};
