#include "home/LottieAnimationCache.h"

#include <QFile>

#include <rlottie.h>

#include "common/Logger.h"

LottieAnimationCache &LottieAnimationCache::shared()
{
    static LottieAnimationCache cache;
    return cache;
}

std::shared_ptr<rlottie::Animation> LottieAnimationCache::animation(const QString &name)
{
    if (const auto found = m_animations.constFind(name); found != m_animations.constEnd())
        return found.value();
    if (m_missing.contains(name))
        return nullptr;
    QFile file(QStringLiteral(":/lottie/%1.json").arg(name));
    if (!file.open(QIODevice::ReadOnly)) {
        m_missing.insert(name, true);
        OSTREL_LOG(Logger::Warning, QStringLiteral("no animation named %1").arg(name));
        return nullptr;
    }
    auto parsed = insert(name, file.readAll());
    if (!parsed)
        m_missing.insert(name, true);
    return parsed;
}

std::shared_ptr<rlottie::Animation> LottieAnimationCache::insert(const QString &name, const QByteArray &json)
{
    // The key is left empty: rlottie's own cache would keep a second copy keyed by it.
    std::shared_ptr<rlottie::Animation> parsed(
        rlottie::Animation::loadFromData(json.toStdString(), std::string(), std::string(), false).release());
    if (!parsed || parsed->totalFrame() == 0) {
        OSTREL_LOG(Logger::Warning, QStringLiteral("animation %1 does not parse").arg(name));
        return nullptr;
    }
    m_animations.insert(name, parsed);
    m_missing.remove(name);
    return parsed;
}
