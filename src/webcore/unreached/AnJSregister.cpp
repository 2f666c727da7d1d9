#include "webcore/unreached/AnJSregister.h"

AnJSregister &AnJSregister::shareinstance()
{
    static AnJSregister instance;
    return instance;
}

const QStringList &AnJSregister::names()
{
    static const QStringList list{
        QStringLiteral("login"), QStringLiteral("userStatus"), QStringLiteral("connect"), QStringLiteral("logout"),
        QStringLiteral("userinfo"), QStringLiteral("changePassword"), QStringLiteral("changeUser"),
        QStringLiteral("proper_lines"), QStringLiteral("node_regions"), QStringLiteral("delete_proper_line"),
        QStringLiteral("add_proper_line"), QStringLiteral("update_proper_line"), QStringLiteral("websites"),
        QStringLiteral("websiteClick"), QStringLiteral("routesConfig"), QStringLiteral("delegateStatus"),
        QStringLiteral("lineStatus"), QStringLiteral("homeStatus"), QStringLiteral("startVPN"),
        QStringLiteral("stopVPN"), QStringLiteral("checkUpdate"), QStringLiteral("update"),
        QStringLiteral("coverView"), QStringLiteral("exclusive_node_regions"), QStringLiteral("change_node_type"),
        QStringLiteral("distribute_exclusive_node"), QStringLiteral("close_node"), QStringLiteral("user_logout")};
    return list;
}

std::optional<QString> AnJSregister::value(const QString &name)
{
    if (!names().contains(name))
        return std::nullopt;
    QMutexLocker lock(&m_mutex);
    auto it = m_values.find(name);
    if (it == m_values.end())
        it = m_values.insert(name, name);
    return it.value();
}

bool AnJSregister::setValue(const QString &name, const QString &value)
{
    if (!names().contains(name))
        return false;
    QMutexLocker lock(&m_mutex);
    m_values.insert(name, value);
    return true;
}
