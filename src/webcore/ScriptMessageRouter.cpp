#include "webcore/ScriptMessageRouter.h"

#include <QJsonDocument>
#include <QMetaObject>
#include <QRegularExpression>

#include "networking/XSAnalyticsManager.h"
#include "webcore/OOWebCommon.h"
#include "webcore/PageOriginPolicy.h"
#include "webcore/ScriptMessageHost.h"
#include "webcore/WebLog.h"

namespace {

const QString kMarletScheme = QStringLiteral("marlet");

std::optional<QString> stringField(const QJsonObject &object, const QString &key)
{
    const QJsonValue value = object.value(key);
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}

// Page text in a log line: printable and short, so a page cannot forge or flood log lines.
QString loggable(const QString &text)
{
    QString out = text.left(64);
    out.replace(QRegularExpression(QStringLiteral("[^\\x20-\\x7e]")), QStringLiteral("?"));
    return out;
}

std::optional<QUrl> urlFromText(const QString &text)
{
    const QUrl url(text, QUrl::StrictMode);
    if (text.isEmpty() || !url.isValid())
        return std::nullopt;
    return url;
}

} // namespace

ScriptMessageRouter::ScriptMessageRouter(HostKind kind, ScriptMessageHost *host, QObject *parent)
    : QObject(parent)
    , m_kind(kind)
    , m_host(host)
    , m_track([](const QString &event) { XSAnalyticsManager::shared().track(event); })
{
}

QStringList ScriptMessageRouter::registeredNames(HostKind kind)
{
    if (kind == HostKind::PageController) {
        return {QStringLiteral("getUserInfo"), QStringLiteral("getProducts"), QStringLiteral("closePage"),
                QStringLiteral("buy"), QStringLiteral("decryptString"), QStringLiteral("encryptString"),
                QStringLiteral("toPrivacy"), QStringLiteral("toTerms"), QStringLiteral("trackEvent"),
                QStringLiteral("button"), QStringLiteral("restore"), QStringLiteral("saveCacheData"),
                QStringLiteral("getAllCacheData"), QStringLiteral("share"), QStringLiteral("saveImg"),
                QStringLiteral("jumpAction")};
    }
    return {QStringLiteral("openUrl"), QStringLiteral("openLink"), QStringLiteral("encryptString"),
            QStringLiteral("decryptString"), QStringLiteral("getUserInfo"), QStringLiteral("getDeviceInfo"),
            QStringLiteral("getTranslationInfo"), QStringLiteral("getStore"), QStringLiteral("button"),
            QStringLiteral("trackEvent"), QStringLiteral("jumpAction")};
}

ScriptMessageRouter::Outcome ScriptMessageRouter::receive(const QString &name, const QJsonValue &body,
                                                          const QUrl &pageUrl)
{
    if (!registeredNames().contains(name)) {
        webLog(QStringLiteral("script message \"%1\" is not registered here; dropped").arg(loggable(name)),
               Q_FUNC_INFO);
        return Outcome::UnknownName;
    }
    if (!PageOriginPolicy::isTrustedPage(pageUrl)) {
        // The URL without query or fragment: enough to find the page, nothing a page put there.
        webLog(QStringLiteral("script message \"%1\" from %2 is not from a local page; dropped")
                   .arg(name, pageUrl.adjusted(QUrl::RemoveQuery | QUrl::RemoveFragment | QUrl::RemoveUserInfo)
                                  .toString(QUrl::FullyEncoded).left(200)),
               Q_FUNC_INFO);
        return Outcome::UntrustedOrigin;
    }
    logMessage(name, body);
    dispatch(name, body);
    return Outcome::Handled;
}

ScriptMessageRouter::Outcome ScriptMessageRouter::followLink(const QString &href, const QUrl &pageUrl)
{
    if (!PageOriginPolicy::isTrustedPage(pageUrl)) {
        webLog(QStringLiteral("link from a page that is not a loaded local page; dropped"), Q_FUNC_INFO);
        return Outcome::UntrustedOrigin;
    }
    openWebURL(href);
    if (m_kind == HostKind::Popup && m_host)
        m_host->closePage();
    return Outcome::Handled;
}

void ScriptMessageRouter::logMessage(const QString &name, const QJsonValue &body) const
{
    // Bodies can carry what a page is about to send (passwords, codes); their size is enough.
    const qsizetype size = body.isString() ? body.toString().size() : -1;
    const QString text = size < 0 ? QStringLiteral("(not text)") : QStringLiteral("(%1 characters)").arg(size);
    if (m_kind == HostKind::PageController)
        qCDebug(lcWeb).noquote() << "script name: " + name + " script body " + text;
    else
        qCDebug(lcWeb).noquote() << "H5跳转页面 " + name + " " + text;
}

void ScriptMessageRouter::dispatch(const QString &name, const QJsonValue &body)
{
    if (name == QLatin1String("getUserInfo"))
        return reply(name, OOWebCommon::getUserInfo());
    if (name == QLatin1String("encryptString"))
        return reply(name, OOWebCommon::encryptString(body));
    if (name == QLatin1String("decryptString"))
        return reply(name, OOWebCommon::decryptString(body));
    if (name == QLatin1String("trackEvent"))
        return trackEvent(body);
    if (name == QLatin1String("button"))
        return button(body, true);
    if (name == QLatin1String("jumpAction"))
        return button(body, false);
    if (m_kind != HostKind::PageController)
        return;   // "openUrl", "openLink", "getDeviceInfo", "getTranslationInfo", "getStore": accepted, no effect
    if (name == QLatin1String("closePage")) {
        if (m_host)
            m_host->closePage();
        return;
    }
    if (name == QLatin1String("saveImg"))
        return saveImage(body);
    if (name == QLatin1String("share"))
        return share(body);
    // "saveCacheData", "getAllCacheData", "getProducts", "buy", "toPrivacy", "toTerms", "restore":
    // accepted, no effect.
}

void ScriptMessageRouter::reply(const QString &name, const std::optional<QString> &script)
{
    if (!script)
        return;
    // The script holds the user's token for getUserInfo: log which reply, never its text.
    qCDebug(lcWeb).noquote() << "executeJaveScriptParams: " + name + " reply, " + QString::number(script->size())
            + " characters";
    const QString text = *script;
    QMetaObject::invokeMethod(this, [this, text] { Q_EMIT replyReady(text); }, Qt::QueuedConnection);
}

void ScriptMessageRouter::trackEvent(const QJsonValue &body)
{
    const std::optional<QJsonObject> message = OOWebCommon::bodyObject(body);
    if (!message)
        return;
    const std::optional<QString> event = stringField(*message, QStringLiteral("event"));
    if (event && m_track)
        m_track(*event);
}

void ScriptMessageRouter::button(const QJsonValue &body, bool withParams)
{
    const std::optional<QJsonObject> message = OOWebCommon::bodyObject(body);
    if (!message)
        return;
    const std::optional<QString> type = stringField(*message, QStringLiteral("type"));
    if (!type)
        return;
    if (!withParams)
        return handleButtonAction(*type, std::nullopt);
    const QJsonValue params = message->value(QStringLiteral("params"));
    if (!params.isObject())
        return;
    handleButtonAction(*type, params.toObject());
}

void ScriptMessageRouter::handleButtonAction(const QString &type, const std::optional<QJsonObject> &params)
{
    if (type == QLatin1String("close") || type == QLatin1String("noupdate") || type == QLatin1String("cancel")) {
        if (m_host)
            m_host->closePage();
        return;
    }
    if (type == QLatin1String("jump")) {
        if (!params)
            return;
        const std::optional<QString> text = stringField(*params, QStringLiteral("url"));
        if (!text || !urlFromText(*text))
            return;
        openWebURL(*text);
        if (m_kind == HostKind::Popup && m_host)
            m_host->closePage();
        return;
    }
    if (type == QLatin1String("update")) {
        if (m_kind == HostKind::Popup)
            return popupUpdate(params);
        if (!m_productPage.isEmpty())
            openWebURL(m_productPage);
        return;
    }
    if (type == QLatin1String("lotteryPage") && m_kind == HostKind::Popup) {
        if (m_host)
            m_host->handleJumpAction(type);
        return;
    }
    // "confirm" and every other type: nothing.
}

void ScriptMessageRouter::popupUpdate(const std::optional<QJsonObject> &params)
{
    if (!params)
        return;
    const std::optional<QString> urlText = stringField(*params, QStringLiteral("url"));
    const std::optional<QString> version = stringField(*params, QStringLiteral("version"));
    if (!urlText || !version)
        return;
    // The installer is run with the user's rights: only an address whose server proved who it is.
    const std::optional<QUrl> url = urlFromText(*urlText);
    if (!url || url->scheme() != QLatin1String("https") || url->host().isEmpty()) {
        webLog(QStringLiteral("update button with an installer address that is not https; ignored"), Q_FUNC_INFO);
        return;
    }
    if (!m_host)
        return;
    m_host->openUpgradeWindow(*url, *version);
    m_host->closePage();
}

void ScriptMessageRouter::openWebURL(const QString &text)
{
    const QString prefix = kMarletScheme + QStringLiteral("://");
    if (!text.startsWith(prefix))
        return openWebURL(QUrl(text, QUrl::StrictMode));
    QString host = text.mid(prefix.size());
    const qsizetype end = host.indexOf(QRegularExpression(QStringLiteral("[/?#:]")));
    if (end >= 0)
        host.truncate(end);
    if (const qsizetype at = host.lastIndexOf(QLatin1Char('@')); at >= 0)
        host = host.mid(at + 1);
    openInApp(host);
}

void ScriptMessageRouter::openInApp(const QString &host)
{
    if (!m_host || host.isEmpty())
        return;
    if (m_kind == HostKind::Popup)
        return m_host->handleJumpAction(host);
    if (host == QLatin1String("my"))
        m_host->switchMainWindowTab(1);
    else if (host == QLatin1String("buy"))
        m_host->switchMainWindowTab(3);
}

void ScriptMessageRouter::openWebURL(const QUrl &url)
{
    if (url.isEmpty())
        return;
    if (url.scheme() == kMarletScheme)
        return openInApp(url.host());
    if (!PageOriginPolicy::isAllowedExternalLink(url)) {
        webLog(QStringLiteral("link with scheme \"%1\" refused; only http, https and mailto leave the client")
                   .arg(loggable(url.scheme())),
               Q_FUNC_INFO);
        return;
    }
    if (m_host)
        m_host->openExternalUrl(url);
}

std::optional<QByteArray> ScriptMessageRouter::dataUrlBytes(const QString &text)
{
    const QStringList pieces = text.split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (pieces.size() < 2)
        return std::nullopt;
    const QByteArray::FromBase64Result decoded =
        QByteArray::fromBase64Encoding(pieces.at(1).toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.isEmpty())
        return std::nullopt;
    return decoded.decoded;
}

void ScriptMessageRouter::saveImage(const QJsonValue &body)
{
    const std::optional<QJsonObject> message = OOWebCommon::bodyObject(body);
    if (!message)
        return;
    const std::optional<QString> img = stringField(*message, QStringLiteral("img"));
    if (!img)
        return;
    const std::optional<QByteArray> bytes = dataUrlBytes(*img);
    if (bytes && m_host)
        m_host->saveImage(*bytes);
}

void ScriptMessageRouter::share(const QJsonValue &body)
{
    // The items are checked as the pages send them; no sharing interface is shown.
    const std::optional<QJsonObject> message = OOWebCommon::bodyObject(body);
    if (!message)
        return;
    if (!stringField(*message, QStringLiteral("title")) || !stringField(*message, QStringLiteral("url")))
        return;
    qCDebug(lcWeb) << "share items received; no sharing interface on this platform";
}
