#include "support/RecordingHelper.h"

#include <QJsonObject>
#include <QTimer>

#include <utility>

RecordingHelper::RecordingHelper(Answers mode) : answers(mode), m_journal(m_ownJournal) {}

RecordingHelper::RecordingHelper(QStringList &journal, Answers mode) : answers(mode), m_journal(journal) {}

void RecordingHelper::getVersion(VersionReply reply)
{
    m_journal << QStringLiteral("getVersion");
    answer([reply = std::move(reply)] { reply(std::nullopt); });
}

void RecordingHelper::enableProxyWithPort(qint32 port, qint32 socksPort, const std::optional<QString> &pac,
                                          const std::optional<QString> &dnsServer, bool filterInterface,
                                          const QStringList &ignoreList, ErrorReply reply)
{
    enables.push_back({port, socksPort, pac, dnsServer, filterInterface, ignoreList});
    m_journal << QStringLiteral("enable");
    answer([reply = std::move(reply), error = enableError] { reply(error); });
}

void RecordingHelper::disableProxyWithFilterInterface(bool filterInterface, ErrorReply reply)
{
    m_journal << (filterInterface ? QStringLiteral("disable") : QStringLiteral("disable:NO"));
    answer([reply = std::move(reply), error = disableError] { reply(error); });
}

void RecordingHelper::restoreProxyWithCurrentPort(qint32, qint32, const QJsonObject &, bool, ErrorReply reply)
{
    m_journal << QStringLiteral("restore");
    answer([reply = std::move(reply)] { reply(std::nullopt); });
}

void RecordingHelper::getCurrentProxySetting(SettingsReply reply)
{
    m_journal << QStringLiteral("getCurrentProxySetting");
    answer([reply = std::move(reply)] { reply(std::nullopt); });
}

void RecordingHelper::setRestoreOnClientEnd(bool restore, ErrorReply reply)
{
    m_journal << (restore ? QStringLiteral("restoreOnEnd:yes") : QStringLiteral("restoreOnEnd:no"));
    answer([reply = std::move(reply)] { reply(std::nullopt); });
}

void RecordingHelper::answer(std::function<void()> reply)
{
    switch (answers) {
    case Answers::AtOnce:
        reply();
        return;
    case Answers::Never:
        m_held.push_back(std::move(reply));
        return;
    case Answers::Later:
        QTimer::singleShot(0, &m_context, std::move(reply));
        return;
    }
}

void RecordingHelper::answerHeld()
{
    answers = Answers::Later;
    for (std::function<void()> &reply : std::exchange(m_held, {}))
        answer(std::move(reply));
}
