#include "vpn/unreached/HLLDealWithRoutesConfig.h"

#include "common/DefaultsKeys.h"
#include "common/unreached/HLLAppConstant.h"
#include "common/UserDefaults.h"

#include <QFile>
#include <QJsonArray>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QStringList>
#include <QThreadPool>

#include <optional>

namespace {

// The file's lines, or nothing when it cannot be read as UTF-8 text: a list with replacement
// characters in it would be stored as if it were the user's.
std::optional<QStringList> readLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // Stateless: a sequence cut off at the end of the file is an error too, not a wait for more.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(file.readAll());
    if (decoder.hasError())
        return std::nullopt;
    return text.split(QLatin1Char('\n'));
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
