#include "uikit/ViewFader.h"

#include "uikit/UiTiming.h"

#include <QGraphicsOpacityEffect>
#include <QPropertyAnimation>
#include <QWidget>

namespace {
const char *const kAnimationName = "ostrelFadeAnimation";
}

int ViewFader::scaled(int programMs)
{
    return UiTiming::ms(programMs);
}

qreal ViewFader::opacity(const QWidget *widget)
{
    auto *effect = widget ? qobject_cast<QGraphicsOpacityEffect *>(widget->graphicsEffect()) : nullptr;
    return effect ? effect->opacity() : 1.0;
}

void ViewFader::stop(QWidget *widget)
{
    if (!widget)
        return;
    if (auto *animation = widget->findChild<QPropertyAnimation *>(QLatin1String(kAnimationName), Qt::FindDirectChildrenOnly)) {
        animation->disconnect();
        animation->stop();
        animation->deleteLater();
    }
    if (qobject_cast<QGraphicsOpacityEffect *>(widget->graphicsEffect()))
        widget->setGraphicsEffect(nullptr);
}

void ViewFader::fade(QWidget *widget, qreal from, qreal to, int programMs, std::function<void()> done)
{
    if (!widget)
        return;
    stop(widget);
    auto *effect = new QGraphicsOpacityEffect(widget);
    effect->setOpacity(from);
    widget->setGraphicsEffect(effect);

    auto *animation = new QPropertyAnimation(effect, "opacity", widget);
    animation->setObjectName(QLatin1String(kAnimationName));
    animation->setStartValue(from);
    animation->setEndValue(to);
    animation->setDuration(UiTiming::ms(programMs));
    QPointer<QWidget> weak(widget);
    QObject::connect(animation, &QPropertyAnimation::finished, widget, [weak, animation, to, done] {
        animation->deleteLater();
        if (!weak)
            return;
        if (to >= 1.0)
            weak->setGraphicsEffect(nullptr);
        // Always from the event loop, also when a 0 duration finished inside start().
        if (done)
            QTimer::singleShot(0, weak.data(), done);
    });
    animation->start();
}
