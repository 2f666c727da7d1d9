#include "web/unreached/WebViewSnapshot.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWidget>

namespace {

constexpr int kPollMs = 50;

// True once the document is complete, the page's own condition holds and two animation frames
// have run since: the second runs only after the first frame with that content was produced.
QString probeScript(const QString &condition)
{
    const QString ready = condition.trimmed().isEmpty() ? QStringLiteral("true") : condition;
    return QStringLiteral(
               "(function () {"
               "  if (location.href === 'about:blank' || document.readyState !== 'complete' || !(%1)) {"
               "    return false;"
               "  }"
               "  if (!window.__ostrelSnapshotFrames) {"
               "    window.__ostrelSnapshotFrames = 1;"
               "    requestAnimationFrame(function () { requestAnimationFrame(function () {"
               "      window.__ostrelSnapshotFrames = 2; }); });"
               "  }"
               "  return window.__ostrelSnapshotFrames === 2;"
               "})()")
        .arg(ready);
}

// One capture: polls the page until it is ready, then grabs on the next turn, so the frame the
// page produced has reached the view.
class SnapshotRun : public QObject
{
public:
    SnapshotRun(QWidget *target, QWebEnginePage *page, const WebViewSnapshot::Options &options, QObject *context,
                WebViewSnapshot::Completion completion)
        : QObject(QCoreApplication::instance())
        , m_target(target)
        , m_page(page)
        , m_context(context)
        , m_hasContext(context != nullptr)
        , m_script(probeScript(options.readyCondition))
        , m_timeoutMs(options.timeoutMs)
        , m_completion(std::move(completion))
    {
        m_clock.start();
        m_timer.setInterval(kPollMs);
        connect(&m_timer, &QTimer::timeout, this, &SnapshotRun::poll);
        m_timer.start();
    }

private:
    void poll()
    {
        if (m_asking)
            return;
        if (!m_target || !m_page || m_clock.elapsed() > m_timeoutMs) {
            finish(QImage());
            return;
        }
        if (m_ready) {
            finish(m_target->grab().toImage());
            return;
        }
        m_asking = true;
        QPointer<SnapshotRun> self(this);
        m_page->runJavaScript(m_script, QWebEngineScript::MainWorld, [self](const QVariant &result) {
            if (!self)
                return;
            self->m_asking = false;
            self->m_ready = result.toBool();
        });
    }

    void finish(const QImage &picture)
    {
        m_timer.stop();
        const bool contextGone = m_hasContext && !m_context;
        WebViewSnapshot::Completion completion = std::move(m_completion);
        deleteLater();
        if (!contextGone && completion)
            completion(picture);
    }

    QPointer<QWidget> m_target;
    QPointer<QWebEnginePage> m_page;
    QPointer<QObject> m_context;
    bool m_hasContext;
    QString m_script;
    int m_timeoutMs;
    WebViewSnapshot::Completion m_completion;
    QTimer m_timer;
    QElapsedTimer m_clock;
    bool m_asking = false;
    bool m_ready = false;
};

} // namespace

void WebViewSnapshot::capture(QWidget *target, QWebEnginePage *page, const Options &options, QObject *context,
                              Completion completion)
{
    // Owned by the application until it answers (then it deletes itself); the first poll is a
    // timer turn away, so the answer never comes inside this call.
    new SnapshotRun(target, page, options, context, std::move(completion));
}
