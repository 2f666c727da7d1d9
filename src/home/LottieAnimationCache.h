#pragma once

#include <QHash>
#include <QString>

#include <memory>

namespace rlottie {
class Animation;
}

// The process's parsed animations, by name. An animation is read once from ":/lottie/<name>.json"
// and shared by every view that plays it (all on the GUI thread, each rendering its own frame).
class LottieAnimationCache
{
public:
    static LottieAnimationCache &shared();

    // The parsed animation, or null when there is no such file or it does not parse (logged once).
    std::shared_ptr<rlottie::Animation> animation(const QString &name);
    // Parses JSON text under a name of the caller's choosing (tests, animations from elsewhere).
    std::shared_ptr<rlottie::Animation> insert(const QString &name, const QByteArray &json);

private:
    QHash<QString, std::shared_ptr<rlottie::Animation>> m_animations;
    QHash<QString, bool> m_missing;
};
