#include "login/form/AccountRequest.h"

#include <QPointer>
#include <QTimer>

#include <memory>

#include "networking/OONetWork.h"
#include "networking/OONetWorkTool.h"

namespace {

int s_watchdogMs = 0;

// One answer per request, whichever comes first: the reply or the watchdog.
struct Pending
{
    QPointer<QObject> context;
    AccountRequest::Done done;
    bool answered = false;

    void answer(const std::optional<QJsonObject> &reply)
    {
        if (answered)
            return;
        answered = true;
        AccountRequest::Done callback = std::move(done);
        if (context && callback)
            callback(reply);
    }
};

} // namespace

int AccountRequest::watchdogMs()
{
    // Past the network layer's own 15 s time-out, so a slow reply still arrives first.
    return s_watchdogMs > 0 ? s_watchdogMs : 16000;
}

void AccountRequest::setWatchdogMsForTesting(int ms)
{
    s_watchdogMs = ms;
}

void AccountRequest::send(const QString &method, const QString &path, const QJsonObject &params, QObject *context,
                          Done done)
{
    auto pending = std::make_shared<Pending>();
    pending->context = context;
    pending->done = std::move(done);
    if (context) {
        QTimer::singleShot(watchdogMs(), context, [pending] { pending->answer(std::nullopt); });
    }
    OONetWork::shared().requestData(method, OONetWorkTool::apiUrl(path), true, params, std::nullopt,
                                    [pending](std::optional<QJsonObject> reply, std::optional<NetError>) {
                                        pending->answer(reply);
                                    });
}
