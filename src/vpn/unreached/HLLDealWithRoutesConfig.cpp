#include "vpn/unreached/HLLDealWithRoutesConfig.h"

#include "common/DefaultsKeys.h"
#include "common/unreached/HLLAppConstant.h"
#include "common/UserDefaults.h"

#include <QFile>
#include <QJsonArray>
#include <QStandardPaths>
#include <QStringList>
#include <QThreadPool>

#include <optional>

namespace {

std::optional<QStringList> readLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
}

} // namespace

QString HLLDealWithRoutesConfig::documentsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

void HLLDealWithRoutesConfig::getWhiteIp()
{
    const QString folder = documentsFolder();
    QThreadPool::globalInstance()->start([folder] { copyRouteLists(folder); });
}

void HLLDealWithRoutesConfig::copyRouteLists(const QString &documentsFolder)
{
    UserDefaults &shared = UserDefaults::suite(HLLAppConstant::sharedGroupIdentifier());
    const std::optional<QStringList> ipList = readLines(documentsFolder + QStringLiteral("/china_ip_list.txt"));
    if (!ipList)
        return;
    shared.setArray(DefaultsKeys::iplist, QJsonArray::fromStringList(*ipList));
    const std::optional<QStringList> nodeList = readLines(documentsFolder + QStringLiteral("/node_routes.txt"));
    if (!nodeList)
        return;
    shared.setArray(DefaultsKeys::nodelist, QJsonArray::fromStringList(*nodeList));
}
