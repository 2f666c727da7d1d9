#pragma once

#include <QJsonArray>
#include <QObject>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

#include "networking/NetError.h"

class HHLinkNode;

// The system notices of the notifications list, shown one after another as local pages over the
// window: each notice due by its frequency gets its page package unpacked into the page folder and
// shown; its close shows the next. While a chain runs the home screen's update gate stays closed
// (`noticesDone` false); every road through the chain reopens it.
class NoticeChain : public QObject
{
    Q_OBJECT
public:
    // One notice page to show.
    struct Page
    {
        QRect frame;          // over the window's content, 800 x 500
        QString json;         // the notice record, handed to the page as its data
        QString htmlPath;     // the page to load
        QString pageFolder;   // what the page may read
    };
    // Shows a page; `closed` runs once when the user closes it. False when it cannot be shown
    // (no window): the chain goes on with the next notice.
    using Presenter = std::function<bool(const Page &page, std::function<void()> closed)>;

    static constexpr const char *kDefaultTemplate = "system-notice-default";

    // Process-wide: false while a chain runs; set when it ends.
    static bool noticesDone();
    static void setNoticesDone(bool done);
    // Process-wide: frequency-1 notices show again until the first chain of the process ends.
    static bool frequencyOneSession();
    static void setFrequencyOneSession(bool session);

    explicit NoticeChain(QObject *parent = nullptr);
    ~NoticeChain() override;

    void setPresenter(Presenter presenter) { m_presenter = std::move(presenter); }
    void setNowSeconds(std::function<qint64()> now) { m_now = std::move(now); }

    // The notifications list's answer ("page_datas" of notice records).
    void handleNoticeList(const std::optional<QString> &text, const std::optional<NetError> &error);
    bool isRunning() const { return m_running; }

    // The archive for a notice's template: the name it unpacks under and its path; nothing when
    // no archive exists. A template that is not a plain file name counts as absent.
    static std::optional<std::pair<QString, QString>> archiveFor(const std::optional<QString> &templateText);
    static bool isPlainName(const QString &name);

Q_SIGNALS:
    void pageShown(const QString &htmlPath);
    void finished();

private:
    void showNotice(HHLinkNode *node);
    void unpacked(HHLinkNode *node, const QString &json, const QString &name, bool ok);
    void finishNotices();

    Presenter m_presenter;
    std::function<qint64()> m_now;
    std::unique_ptr<HHLinkNode> m_head;
    QJsonArray m_noticInfo;
    bool m_running = false;
    quint64 m_generation = 0;
};
