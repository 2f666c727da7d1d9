#include "home/NoticeChain.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QPointer>
#include <QRunnable>
#include <QSet>
#include <QThreadPool>

#include "common/AppPaths.h"
#include "common/DefaultsKeys.h"
#include "common/HHLinkNode.h"
#include "common/JsonUtils.h"
#include "common/Logger.h"
#include "common/SafeArchiveExtractor.h"
#include "common/GuiThread.h"
#include "common/ThreadHandOff.h"
#include "common/UserDefaults.h"
#include "networking/HHNoticeModel.h"

namespace {
bool g_noticesDone = true;
bool g_frequencyOneSession = true;

// Notice pages are small; anything larger is not one.
SafeArchiveExtractor::Limits noticeLimits()
{
    return {/*maxEntries*/ 512, /*maxEntryBytes*/ 16 << 20, /*maxTotalBytes*/ 64 << 20};
}
} // namespace

bool NoticeChain::noticesDone() { return g_noticesDone; }
void NoticeChain::setNoticesDone(bool done) { g_noticesDone = done; }
bool NoticeChain::frequencyOneSession() { return g_frequencyOneSession; }
void NoticeChain::setFrequencyOneSession(bool session) { g_frequencyOneSession = session; }

NoticeChain::NoticeChain(QObject *parent)
    : QObject(parent)
    , m_now([] { return QDateTime::currentSecsSinceEpoch(); })
{
}

NoticeChain::~NoticeChain()
{
    // A chain that dies with its screen must not leave the update gate closed for the process.
    if (m_running)
        g_noticesDone = true;
}

bool NoticeChain::isPlainName(const QString &name)
{
    if (name.isEmpty() || name.size() > 128 || name.startsWith(QLatin1Char('.')))
        return false;
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':') || c.category() == QChar::Other_Control)
            return false;
    }
    return !name.contains(QStringLiteral(".."));
}

std::optional<std::pair<QString, QString>> NoticeChain::archiveFor(const std::optional<QString> &templateText)
{
    const QString defaultName = QString::fromLatin1(kDefaultTemplate);
    QList<std::pair<QString, QString>> candidates;
    // The service's text names a file; anything but a plain file name falls to the default page.
    if (templateText && isPlainName(*templateText)) {
        candidates.append({*templateText, QDir(AppPaths::privateFolder()).filePath(*templateText + QStringLiteral(".zip"))});
        candidates.append({*templateText, AppPaths::builtResourcePath(*templateText + QStringLiteral(".zip"))});
    }
    candidates.append({defaultName, QDir(AppPaths::privateFolder()).filePath(defaultName + QStringLiteral(".zip"))});
    candidates.append({defaultName, AppPaths::builtResourcePath(defaultName + QStringLiteral(".zip"))});
    for (const auto &candidate : std::as_const(candidates)) {
        if (QFileInfo(candidate.second).isFile())
            return candidate;
    }
    return std::nullopt;
}

void NoticeChain::handleNoticeList(const std::optional<QString> &text, const std::optional<NetError> &error)
{
    if (error || !text)
        return;
    const std::optional<QJsonObject> object = JsonUtils::jsonObjectFromString(*text);
    if (!object)
        return;
    const QJsonValue datas = object->value(QStringLiteral("page_datas"));
    if (!datas.isArray() || datas.toArray().isEmpty())
        return;
    const QJsonArray records = datas.toArray();
    for (const QJsonValue &record : records) {
        if (!record.isObject())
            return;
    }
    // Server order, each node owning the rest.
    std::unique_ptr<HHLinkNode> head;
    for (qsizetype i = records.size() - 1; i >= 0; --i) {
        auto node = std::make_unique<HHLinkNode>(records.at(i).toObject());
        node->next = std::move(head);
        head = std::move(node);
    }
    ++m_generation;
    m_head = std::move(head);
    m_noticInfo = records;
    m_running = true;
    g_noticesDone = false;
    showNotice(m_head.get());
}

void NoticeChain::showNotice(HHLinkNode *node)
{
    for (; node; node = node->next.get()) {
        const std::optional<HHNoticeModel> notice = HHNoticeModel::fromJson(node->value);
        if (!notice || !notice->templateText || notice->templateText->isEmpty())
            continue;
        const auto archive = archiveFor(notice->templateText);
        if (!archive)
            continue;
        // Recorded as shown only once it is on screen: a notice that found no window or no page
        // is still due next time (a once-ever notice would otherwise be lost unseen).
        if (!notice->isDue(g_frequencyOneSession, m_now()))
            continue;
        const QString json = QString::fromUtf8(QJsonDocument(node->value).toJson(QJsonDocument::Compact));
        const QString name = archive->first;
        const QString zipPath = archive->second;
        const QString target = QDir(AppPaths::pageFolder()).filePath(name);
        QPointer<NoticeChain> self(this);
        const quint64 generation = m_generation;
        // Unpacked off the GUI thread; the answer comes back through the application object,
        // which lives on the GUI thread, and finds the chain (or not) there.
        QThreadPool::globalInstance()->start(ThreadHandOff::carried([self, generation, node, json, name, zipPath, target] {
            AppPaths::ensureFolder(AppPaths::pageFolder());
            SafeArchiveExtractor::Options options;
            options.limits = noticeLimits();
            options.placement = SafeArchiveExtractor::Placement::Merge;
            const SafeArchiveExtractor::Result result = SafeArchiveExtractor::extractFile(zipPath, target, options);
            const bool htmlThere = QFileInfo(QDir(target).filePath(name + QStringLiteral(".html"))).isFile();
            if (!result.ok())
                OSTREL_LOG(Logger::Warning, QStringLiteral("notice package %1 not unpacked: %2").arg(name, result.error));
            const bool ok = result.ok() && htmlThere;
            GuiThread::post(QCoreApplication::instance(), [self, generation, node, json, name, ok] {
                if (self && self->m_generation == generation)
                    self->unpacked(node, json, name, ok);
            });
        }));
        return;
    }
    finishNotices();
}

void NoticeChain::unpacked(HHLinkNode *node, const QString &json, const QString &name, bool ok)
{
    HHLinkNode *next = node->next.get();
    if (!ok) {
        showNotice(next);
        return;
    }
    Page page;
    page.frame = QRect(0, 0, 800, 500);
    page.json = json;
    page.pageFolder = AppPaths::pageFolder();
    page.htmlPath = QDir(QDir(page.pageFolder).filePath(name)).filePath(name + QStringLiteral(".html"));
    QPointer<NoticeChain> self(this);
    const quint64 generation = m_generation;
    auto closed = [self, generation, next] {
        if (self && self->m_generation == generation)
            self->showNotice(next);
    };
    // Read before the page shows: a close that comes at once may end the chain and its nodes.
    const std::optional<HHNoticeModel> notice = HHNoticeModel::fromJson(node->value);
    const qint64 shownAt = m_now();
    QPointer<NoticeChain> alive(this);
    if (!m_presenter || !m_presenter(page, closed)) {
        // No window to show it in: the chain goes on rather than keeping the gate closed.
        showNotice(next);
        return;
    }
    if (notice)
        HHNoticeModel::recordShown(notice->id, shownAt);
    if (alive)
        Q_EMIT pageShown(page.htmlPath);
}

void NoticeChain::finishNotices()
{
    g_frequencyOneSession = false;
    g_noticesDone = true;
    m_running = false;
    UserDefaults &defaults = UserDefaults::standard();
    const std::optional<QJsonArray> stored = defaults.arrayValue(DefaultsKeys::kAnouncePreTimeRecords);
    if (!m_noticInfo.isEmpty() && stored) {
        QSet<qint64> listed;
        for (const QJsonValue &notice : std::as_const(m_noticInfo)) {
            if (const std::optional<qint64> id = JsonUtils::integer(notice.toObject().value(QStringLiteral("id"))))
                listed.insert(*id);
        }
        QJsonArray kept;
        for (const QJsonValue &record : *stored) {
            if (!record.isObject())
                continue;
            const qint64 id = JsonUtils::integer(record.toObject().value(QStringLiteral("id"))).value_or(0);
            if (listed.contains(id))
                kept.append(record);
        }
        defaults.setArray(DefaultsKeys::kAnouncePreTimeRecords, kept);
        // Unsaved, the next start keeps records of notices gone from the list: harmless.
        defaults.synchronizeOrLog("dropping records of notices no longer listed");
    }
    // Nothing from this chain may run after its end (a page closed twice, a late unpack).
    ++m_generation;
    m_head.reset();
    Q_EMIT finished();
}
