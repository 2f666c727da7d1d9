#pragma once

#include <QObject>

#include <functional>

class NBBaseViewController;

// How a presented screen is put into (and taken out of) the window. The presenting controller
// keeps the animator in its presentation record from presentViewController to the end of the
// dismissal, as the platform's record did; the animator is a child of that controller, so it
// never outlives it.
class PresentationAnimator : public QObject
{
    Q_OBJECT
public:
    using Done = std::function<void()>;

    explicit PresentationAnimator(QObject *parent = nullptr) : QObject(parent) {}

    // presented: the controller being shown; presenting: the one whose presentViewController was
    // called. Both are loaded already.
    virtual void animatePresentation(NBBaseViewController *presented, NBBaseViewController *presenting) = 0;
    // Takes the presented view off the screen; done runs once the animator has finished with the
    // controller (at once, or after its fade). done is not run when the animator dies first.
    virtual void animateDismissal(NBBaseViewController *presented, NBBaseViewController *presenting, Done done) = 0;
};
