#include "StandinState.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <algorithm>
#include <cstdio>
#include "common/ApiPaths.h"
#include "common/WholeFile.h"

namespace {

const QString kCode = QStringLiteral("123456");

QString randomHex(int bytes)
{
    QByteArray data(bytes, Qt::Uninitialized);
    for (char &c : data)
        c = char(QRandomGenerator::global()->bounded(256));
    return QString::fromLatin1(data.toHex());
}

QString text(const QJsonObject &params, const QString &key)
{
    const QJsonValue value = params.value(key);
    return value.isString() ? value.toString() : value.toVariant().toString();
}

QJsonObject line(qint64 id, const QString &name, int ping, int kind, const QString &in, const QString &out, const QString &city)
{
    return QJsonObject{{QStringLiteral("id"), id},
                       {QStringLiteral("name"), name},
                       {QStringLiteral("subName"), city},
                       {QStringLiteral("ping"), ping},
                       {QStringLiteral("nodeName"), name},
                       {QStringLiteral("kind"), kind},
                       {QStringLiteral("is_check_time"), false},
                       {QStringLiteral("nodeRegionId"), id % 100},
                       {QStringLiteral("isMark"), kind == 1},
                       {QStringLiteral("country"), out},
                       {QStringLiteral("city"), city},
                       {QStringLiteral("in_region_code"), in},
                       {QStringLiteral("out_region_code"), out},
                       {QStringLiteral("in_region_name"), in == QLatin1String("CN") ? QStringLiteral("中国") : in},
                       {QStringLiteral("line_mark"), kind == 1 ? QStringLiteral("VIP") : QString()},
                       {QStringLiteral("isGroup"), false}};
}

} // namespace

StandinState::StandinState(const QString &baseUrl)
    : m_baseUrl(baseUrl)
    , m_pageData(baseUrl)
{
    m_ss = QJsonObject{{QStringLiteral("port"), 8388}, {QStringLiteral("password"), QStringLiteral("standin-secret")},
                       {QStringLiteral("method"), QStringLiteral("chacha20-ietf-poly1305")}};
    m_innerHosts = {baseUrl};
    m_outUrls = {baseUrl + QStringLiteral("/hostlist")};
    m_remoteHosts = {baseUrl};
    QJsonObject demo = newUser(false, QStringLiteral("13800000000"));
    demo.insert(QStringLiteral("phone"), QStringLiteral("13800000000"));
    demo.insert(QStringLiteral("region_code"), QStringLiteral("86"));
    demo.insert(QStringLiteral("user_level"), 2);
    demo.insert(QStringLiteral("vip_invalid_time"), QStringLiteral("2099-12-31 23:59:59"));
    demo.insert(QStringLiteral("svip_invalid_time"), QStringLiteral("2099-12-31 23:59:59"));
    m_accounts.insert(QStringLiteral("13800000000"), accountEntry(demo, QStringLiteral("abc12345")));
    QJsonObject mail = newUser(false, QStringLiteral("demo@example.com"));
    mail.insert(QStringLiteral("email_address"), QStringLiteral("demo@example.com"));
    m_accounts.insert(QStringLiteral("demo@example.com"), accountEntry(mail, QStringLiteral("abc12345")));
    m_messages = defaultMessages();
    registerHandlers();
    registerPageHandlers();
}

QJsonObject StandinState::ok(const QJsonValue &data)
{
    return QJsonObject{{QStringLiteral("success"), true}, {QStringLiteral("error_code"), 0},
                       {QStringLiteral("message"), QStringLiteral("ok")}, {QStringLiteral("code"), QStringLiteral("C200")},
                       {QStringLiteral("data"), data}};
}

QJsonObject StandinState::failure(const QString &message, int errorCode, const QString &code)
{
    QJsonObject reply{{QStringLiteral("success"), false}, {QStringLiteral("error_code"), errorCode},
                      {QStringLiteral("message"), message}};
    if (!code.isEmpty())
        reply.insert(QStringLiteral("code"), code);
    return reply;
}

QJsonObject StandinState::accountEntry(const QJsonObject &user, const QString &password)
{
    return withPassword(QJsonObject{{QStringLiteral("user"), user}}, password);
}

// An account keeps a salted digest of its password, never the password: the accounts outlive the
// run in the demo profile's file.
QJsonObject StandinState::withPassword(QJsonObject entry, const QString &password)
{
    const QString salt = randomHex(8);
    entry.insert(QStringLiteral("salt"), salt);
    entry.insert(QStringLiteral("password_sha256"), passwordDigest(salt, password));
    return entry;
}

QString StandinState::passwordDigest(const QString &salt, const QString &password)
{
    return QString::fromLatin1(
        QCryptographicHash::hash((salt + QLatin1Char(':') + password).toUtf8(), QCryptographicHash::Sha256).toHex());
}

bool StandinState::passwordMatches(const QJsonObject &entry, const QString &password)
{
    const QString digest = entry.value(QStringLiteral("password_sha256")).toString();
    return !digest.isEmpty() && digest == passwordDigest(entry.value(QStringLiteral("salt")).toString(), password);
}

// The records are served to anyone on the machine who can reach the port: a typed password
// must not be readable there, yet a test can still tell which password was sent.
QJsonObject StandinState::withoutClearPasswords(const QJsonObject &params)
{
    QJsonObject recorded = params;
    for (auto it = recorded.begin(); it != recorded.end(); ++it) {
        if (it.value().isObject()) {
            it.value() = withoutClearPasswords(it.value().toObject());
            continue;
        }
        if (!it.key().contains(QLatin1String("password"), Qt::CaseInsensitive) || it.value().isArray())
            continue;
        it.value() = withPassword(QJsonObject(), it.value().toVariant().toString());
    }
    return recorded;
}

void StandinState::storeUser(const QJsonObject &user)
{
    const qint64 id = user.value(QStringLiteral("id")).toInteger();
    QJsonObject plain = user;
    plain.remove(QStringLiteral("api_token"));
    // Every sign-in of that user and its account see the change, so the next sign-in keeps it.
    for (auto it = m_usersByToken.begin(); it != m_usersByToken.end(); ++it) {
        if (it.value().value(QStringLiteral("id")).toInteger() != id)
            continue;
        QJsonObject signedIn = plain;
        signedIn.insert(QStringLiteral("api_token"), it.key());
        it.value() = signedIn;
    }
    for (auto it = m_accounts.begin(); it != m_accounts.end(); ++it) {
        if (it.value().value(QStringLiteral("user")).toObject().value(QStringLiteral("id")).toInteger() == id)
            it.value().insert(QStringLiteral("user"), plain);
    }
    saveKept();
}

QJsonObject StandinState::newUser(bool visitor, const QString &account)
{
    const qint64 id = m_nextUserId++;
    return QJsonObject{{QStringLiteral("id"), id},
                       {QStringLiteral("username"), visitor ? QStringLiteral("guest%1").arg(id) : account},
                       {QStringLiteral("user_type"), visitor ? 1 : 2},
                       {QStringLiteral("user_level"), visitor ? 0 : 1},
                       {QStringLiteral("region_code"), QString()},
                       {QStringLiteral("is_visitor"), visitor},
                       {QStringLiteral("vip_invalid_time"), visitor ? QString() : QStringLiteral("2099-12-31 23:59:59")},
                       {QStringLiteral("svip_invalid_time"), QString()}};
}

QString StandinState::issueToken(const QJsonObject &user)
{
    const QString token = randomHex(24);
    QJsonObject stored = user;
    stored.insert(QStringLiteral("api_token"), token);
    m_usersByToken.insert(token, stored);
    saveKept();
    return token;
}

QJsonObject StandinState::signInReply(const QJsonObject &user)
{
    const QString token = issueToken(user);
    return ok(QJsonObject{{QStringLiteral("kind"), 1},
                          {QStringLiteral("exist_new_message"), 1},
                          {QStringLiteral("proxy_session_id"), randomHex(8)},
                          {QStringLiteral("user"), m_usersByToken.value(token)}});
}

QString StandinState::accountOf(qint64 userId) const
{
    for (auto it = m_accounts.constBegin(); it != m_accounts.constEnd(); ++it) {
        if (it.value().value(QStringLiteral("user")).toObject().value(QStringLiteral("id")).toInteger() == userId)
            return it.key();
    }
    return QString();
}

QJsonObject StandinState::userForToken(const QString &token) const
{
    return m_usersByToken.value(token);
}

QJsonObject StandinState::lines() const
{
    // Names are "<region>_<line>" as the service sends them. Flags come as paths on this host
    // (the client puts the API address in front) or as full addresses; kind 1 lines are for
    // members only.
    const auto withFlag = [this](QJsonObject entry, const QString &code, bool absolute) {
        const QString path = QStringLiteral("/static/flags/%1.png").arg(code);
        entry.insert(QStringLiteral("abbr_url"), absolute ? m_baseUrl + path : path);
        return entry;
    };
    QJsonArray list;
    list.append(withFlag(line(101, QStringLiteral("JP_东京 01"), 48, 0, QStringLiteral("CN"), QStringLiteral("JP"), QStringLiteral("Tokyo")), QStringLiteral("jp"), false));
    list.append(withFlag(line(102, QStringLiteral("US_洛杉矶 01"), 152, 1, QStringLiteral("CN"), QStringLiteral("US"), QStringLiteral("Los Angeles")), QStringLiteral("us"), true));
    QJsonObject group = withFlag(line(200, QStringLiteral("HK_香港 智能组"), 36, 1, QStringLiteral("CN"), QStringLiteral("HK"), QStringLiteral("Hong Kong")), QStringLiteral("hk"), false);
    group.insert(QStringLiteral("isGroup"), true);
    group.insert(QStringLiteral("group_name"), QStringLiteral("香港"));
    QJsonArray children;
    children.append(withFlag(line(201, QStringLiteral("HK_香港 01"), 31, 1, QStringLiteral("CN"), QStringLiteral("HK"), QStringLiteral("Hong Kong")), QStringLiteral("hk"), false));
    children.append(withFlag(line(202, QStringLiteral("HK_香港 02"), 42, 1, QStringLiteral("CN"), QStringLiteral("HK"), QStringLiteral("Hong Kong")), QStringLiteral("hk"), false));
    group.insert(QStringLiteral("childLines"), children);
    group.insert(QStringLiteral("child_line_num"), children.size());
    list.append(group);
    list.append(withFlag(line(301, QStringLiteral("CN_回国 上海 01"), 88, 0, QStringLiteral("US"), QStringLiteral("CN"), QStringLiteral("Shanghai")), QStringLiteral("cn"), false));
    list.append(withFlag(line(401, QStringLiteral("SG_新加坡 01"), 64, 0, QStringLiteral("CN"), QStringLiteral("SG"), QStringLiteral("Singapore")), QStringLiteral("sg"), false));
    list.append(withFlag(line(501, QStringLiteral("DE_法兰克福 01"), 210, 1, QStringLiteral("CN"), QStringLiteral("DE"), QStringLiteral("Frankfurt")), QStringLiteral("de"), true));
    list.append(withFlag(line(601, QStringLiteral("KR_首尔 01"), 57, 0, QStringLiteral("CN"), QStringLiteral("KR"), QStringLiteral("Seoul")), QStringLiteral("kr"), false));
    return QJsonObject{{QStringLiteral("page_datas"), list}};
}

QJsonObject StandinState::connectReply(qint64 lineId, const QJsonObject &user)
{
    const QJsonArray all = lines().value(QStringLiteral("page_datas")).toArray();
    QJsonObject chosen;
    for (const QJsonValue &value : all) {
        const QJsonObject entry = value.toObject();
        if (entry.value(QStringLiteral("id")).toInteger() == lineId)
            chosen = entry;
        for (const QJsonValue &child : entry.value(QStringLiteral("childLines")).toArray()) {
            if (child.toObject().value(QStringLiteral("id")).toInteger() == lineId)
                chosen = child.toObject();
        }
    }
    if (chosen.isEmpty())
        chosen = all.first().toObject();
    if (chosen.value(QStringLiteral("kind")).toInt() == 1 && user.value(QStringLiteral("user_level")).toInt() == 0)
        return failure(QStringLiteral("该线路仅限会员使用"), 403, QStringLiteral("C5000"));
    QJsonObject node{{QStringLiteral("id"), QString::number(chosen.value(QStringLiteral("id")).toInteger() * 10 + 1)},
                     {QStringLiteral("nodeId"), QString::number(chosen.value(QStringLiteral("id")).toInteger())},
                     {QStringLiteral("url"), QStringLiteral("127.0.0.1")},
                     {QStringLiteral("port"), QString::number(m_ss.value(QStringLiteral("port")).toInt())},
                     {QStringLiteral("password"), m_ss.value(QStringLiteral("password")).toString()},
                     {QStringLiteral("encrypt_method"), m_ss.value(QStringLiteral("method")).toString()},
                     {QStringLiteral("plugin_status"), QStringLiteral("0")},
                     {QStringLiteral("region_name"), chosen.value(QStringLiteral("city")).toString()},
                     {QStringLiteral("name"), chosen.value(QStringLiteral("name")).toString()},
                     {QStringLiteral("node_region_id"), QString::number(chosen.value(QStringLiteral("nodeRegionId")).toInt())}};
    return ok(QJsonObject{{QStringLiteral("in_region_code"), chosen.value(QStringLiteral("in_region_code"))},
                          {QStringLiteral("out_region_code"), chosen.value(QStringLiteral("out_region_code"))},
                          {QStringLiteral("in_region_name"), chosen.value(QStringLiteral("in_region_name"))},
                          {QStringLiteral("proxy_session_token"), randomHex(12)},
                          {QStringLiteral("node_list"), QJsonArray{node}},
                          {QStringLiteral("cdn_setting"), QString()},
                          {QStringLiteral("config"), QJsonObject()}});
}

// The message centre's demo: a system notice with a link out (to this service), an activity
// message whose link opens the purchase page, and one already read with a mail link. The first
// message is the unread system one (the endpoint test reads it and expects that count to drop).
QJsonArray StandinState::defaultMessages() const
{
    const auto message = [](int id, int type, int read, const QString &title, const QString &body, const QString &time) {
        QJsonObject entry{{QStringLiteral("id"), id}, {QStringLiteral("title"), title}, {QStringLiteral("body"), body},
                          {QStringLiteral("textBody"), QString(body).remove(QRegularExpression(QStringLiteral("<[^>]*>")))},
                          {QStringLiteral("createTime"), time}, {QStringLiteral("isRead"), read},
                          {QStringLiteral("topType"), 0}, {QStringLiteral("messageType"), type},
                          {QStringLiteral("linkUrl"), QString()}};
        return entry;
    };
    return QJsonArray{
        message(1, 2, 0, QStringLiteral("线路维护通知"),
                QStringLiteral("<p>今晚 02:00 至 04:00 部分线路维护，期间可能短暂断开。</p>"
                               "<p><a href=\"%1/static/page.html\">查看维护详情</a></p>").arg(m_baseUrl),
                QStringLiteral("2024-05-03 10:00:00")),
        message(2, 1, 0, QStringLiteral("会员限时优惠"),
                QStringLiteral("<p>本周开通高级会员立享八折。</p><p><a href=\"marlet://linkBuy\">立即开通</a></p>"),
                QStringLiteral("2024-05-02 10:00:00")),
        message(3, 2, 1, QStringLiteral("欢迎使用"),
                QStringLiteral("<p>有任何问题请写信给 <a href=\"mailto:support@example.com\">support@example.com</a>。</p>"),
                QStringLiteral("2024-05-01 10:00:00")),
    };
}

// Messages, their read marks and the unread counts ("active" counts unread activity messages,
// "system" the others); the control's "messages" replaces the list.
void StandinState::registerMessageHandlers()
{
    m_handlers.insert(ApiPaths::kUnreadMessages, [this](const Request &) {
        int active = 0;
        int system = 0;
        for (const QJsonValue &value : std::as_const(m_messages)) {
            const QJsonObject m = value.toObject();
            if (m.value(QStringLiteral("isRead")).toInt() != 0)
                continue;
            ++(m.value(QStringLiteral("messageType")).toInt() == 1 ? active : system);
        }
        return ok(QJsonObject{{QStringLiteral("active_message"), active}, {QStringLiteral("feedback_message"), 0},
                              {QStringLiteral("system_message"), system}});
    });
    m_handlers.insert(ApiPaths::kMessages, [this](const Request &) { return ok(m_messages); });
    m_handlers.insert(ApiPaths::kMessageRead, [this](const Request &r) {
        // The service takes the id as text; a number is not an id here.
        const QJsonValue given = r.params.value(QStringLiteral("messageId"));
        bool isNumber = false;
        const qint64 id = given.toString().toLongLong(&isNumber);
        if (!given.isString() || !isNumber)
            return failure(QStringLiteral("messageId must be the id as text"));
        for (int i = 0; i < m_messages.size(); ++i) {
            QJsonObject m = m_messages.at(i).toObject();
            if (m.value(QStringLiteral("id")).toInteger() == id) {
                m.insert(QStringLiteral("isRead"), 1);
                m_messages.replace(i, m);
                return ok();
            }
        }
        return failure(QStringLiteral("消息不存在"), 404);
    });
}

QJsonObject StandinState::handle(const Request &request)
{
    std::lock_guard lock(m_mutex);
    m_requests.append(QJsonObject{{QStringLiteral("method"), request.method}, {QStringLiteral("path"), request.path},
                                  {QStringLiteral("params"), withoutClearPasswords(request.params)},
                                  {QStringLiteral("authorized"), !request.token.isEmpty()}});
    const auto it = m_handlers.constFind(request.path);
    if (it != m_handlers.constEnd())
        return it.value()(request);
    // Pages may call further API paths themselves; those get an empty success.
    return ok();
}

void StandinState::registerHandlers()
{
    auto needUser = [this](const Request &request, const std::function<QJsonObject(QJsonObject)> &body) {
        const QJsonObject user = userForToken(request.token);
        if (user.isEmpty())
            return failure(QStringLiteral("请先登录"), 401);
        return body(user);
    };

    m_handlers.insert(ApiPaths::kAccountLogin, [this](const Request &r) {
        const QString signType = text(r.params, QStringLiteral("signType"));
        if (signType == QLatin1String("1"))
            return signInReply(newUser(true, QString()));
        QString account = text(r.params, QStringLiteral("username"));
        if (signType == QLatin1String("3"))
            account = text(r.params, QStringLiteral("phone"));
        else if (signType == QLatin1String("4"))
            account = text(r.params, QStringLiteral("emailAddress"));
        const QJsonObject entry = m_accounts.value(account);
        if (entry.isEmpty() || !passwordMatches(entry, text(r.params, QStringLiteral("password"))))
            return failure(QStringLiteral("账号或密码错误"), 400);
        return signInReply(entry.value(QStringLiteral("user")).toObject());
    });
    m_handlers.insert(ApiPaths::kAccountInfo, [this, needUser](const Request &r) {
        return needUser(r, [this](QJsonObject user) {
            QJsonObject reply = ok(QJsonObject{{QStringLiteral("kind"), 1}, {QStringLiteral("exist_new_message"), 1},
                                  {QStringLiteral("proxy_session_id"), randomHex(8)}, {QStringLiteral("user"), user},
                                  {QStringLiteral("resource_version"), QJsonObject{
                                       {QStringLiteral("domainVersion"), QStringLiteral("1")},
                                       {QStringLiteral("advertisementVersion"), 1}, {QStringLiteral("nodelineVersion"), 1},
                                       {QStringLiteral("productVersion"), QJsonObject{{QStringLiteral("version"), QStringLiteral(OSTREL_VERSION)}, {QStringLiteral("state"), 0}}},
                                       {QStringLiteral("logReportSwitch"), true}, {QStringLiteral("h5Version"), QStringLiteral("1")},
                                       {QStringLiteral("notificationVersion"), 1}, {QStringLiteral("aclVersion"), 1}}}});
            if (m_resourceVersion) {
                QJsonObject data = reply.value(QStringLiteral("data")).toObject();
                if (m_resourceVersion->isNull())
                    data.remove(QStringLiteral("resource_version"));
                else
                    data.insert(QStringLiteral("resource_version"), *m_resourceVersion);
                reply.insert(QStringLiteral("data"), data);
            }
            return reply;
        });
    });
    auto registerAccount = [this](const Request &r) {
        if (text(r.params, QStringLiteral("register_valid_code")) != kCode)
            return failure(QStringLiteral("验证码错误"), 400);
        QString account = text(r.params, QStringLiteral("phone"));
        if (account.isEmpty())
            account = text(r.params, QStringLiteral("emailAddress"));
        if (account.isEmpty())
            account = text(r.params, QStringLiteral("emailAdress"));
        if (account.isEmpty() || m_accounts.contains(account))
            return failure(QStringLiteral("账号已存在"), 400);
        QJsonObject user = newUser(false, account);
        user.insert(account.contains(QLatin1Char('@')) ? QStringLiteral("email_address") : QStringLiteral("phone"), account);
        user.insert(QStringLiteral("region_code"), text(r.params, QStringLiteral("region_code")));
        m_accounts.insert(account, accountEntry(user, text(r.params, QStringLiteral("password"))));
        // Kept with the sign-in's token.
        return signInReply(user);
    };
    m_handlers.insert(ApiPaths::kAccountRegister, registerAccount);
    // The codes it "sent" are served under /__records ("codes") and printed, so a newcomer can
    // type them: every code is the same demo code.
    auto codeSent = [this](const Request &r) {
        QString account = text(r.params, QStringLiteral("phone"));
        if (account.isEmpty())
            account = text(r.params, QStringLiteral("emailAdress"));
        if (!text(r.params, QStringLiteral("region_code")).isEmpty())
            account = text(r.params, QStringLiteral("region_code")) + QLatin1Char(' ') + account;
        m_codes.append(QJsonObject{{QStringLiteral("account"), account}, {QStringLiteral("code"), kCode},
                                   {QStringLiteral("register_type"), r.params.value(QStringLiteral("register_type"))},
                                   {QStringLiteral("path"), r.path}});
        std::printf("verification code %s sent to %s\n", qPrintable(kCode), qPrintable(account));
        std::fflush(stdout);
        return ok();
    };
    m_handlers.insert(ApiPaths::kSendRegisterCode, codeSent);
    m_handlers.insert(ApiPaths::kSendEmail, codeSent);
    m_handlers.insert(ApiPaths::kBoundAccount, [this, needUser](const Request &r) {
        return needUser(r, [this, r](QJsonObject user) {
            if (text(r.params, QStringLiteral("register_valid_code")) != kCode)
                return failure(QStringLiteral("验证码错误"), 400);
            const QString account = text(r.params, QStringLiteral("boundAccount"));
            if (account.isEmpty())
                return failure(QStringLiteral("账号不能为空"), 400);
            user.insert(account.contains(QLatin1Char('@')) ? QStringLiteral("email_address") : QStringLiteral("phone"), account);
            if (!account.contains(QLatin1Char('@')))
                user.insert(QStringLiteral("region_code"), text(r.params, QStringLiteral("region_code")));
            // The bound account signs in from now on, with the password set here or the one it had.
            const QString password = text(r.params, QStringLiteral("new_password"));
            const QString previous = accountOf(user.value(QStringLiteral("id")).toInteger());
            QJsonObject entry = previous.isEmpty() ? QJsonObject() : m_accounts.value(previous);
            entry.insert(QStringLiteral("user"), user);
            if (!password.isEmpty() || previous.isEmpty())
                entry = withPassword(entry, password);
            m_accounts.insert(account, entry);
            storeUser(user);
            return ok();
        });
    });
    m_handlers.insert(ApiPaths::kGetBackPassword, [this](const Request &r) {
        if (text(r.params, QStringLiteral("register_valid_code")) != kCode)
            return failure(QStringLiteral("验证码错误"), 400);
        const QString account = text(r.params, QStringLiteral("account"));
        if (!m_accounts.contains(account))
            return failure(QStringLiteral("账号不存在"), 404);
        m_accounts.insert(account, withPassword(m_accounts.value(account), text(r.params, QStringLiteral("new_password"))));
        saveKept();
        return ok();
    });
    m_handlers.insert(ApiPaths::kUpdatePassword, [this, needUser](const Request &r) {
        return needUser(r, [this, r](QJsonObject user) {
            if (text(r.params, QStringLiteral("new_password")) != text(r.params, QStringLiteral("new_password_again")))
                return failure(QStringLiteral("两次密码不一致"), 400);
            const QString account = accountOf(user.value(QStringLiteral("id")).toInteger());
            if (account.isEmpty())
                return failure(QStringLiteral("游客账号不能修改密码"), 400);
            if (!passwordMatches(m_accounts.value(account), text(r.params, QStringLiteral("old_password"))))
                return failure(QStringLiteral("原密码错误"), 400);
            // Every account of the user (its phone and its e-mail) signs in with the new password.
            const qint64 id = user.value(QStringLiteral("id")).toInteger();
            for (auto it = m_accounts.begin(); it != m_accounts.end(); ++it) {
                if (it.value().value(QStringLiteral("user")).toObject().value(QStringLiteral("id")).toInteger() == id)
                    it.value() = withPassword(it.value(), text(r.params, QStringLiteral("new_password")));
            }
            saveKept();
            return ok();
        });
    });
    m_handlers.insert(ApiPaths::kGetQRCode, [this](const Request &) {
        m_qrToken = randomHex(16);
        m_qrStatus = 0;
        return ok(QJsonObject{{QStringLiteral("token"), m_qrToken}, {QStringLiteral("qr_id"), randomHex(4)},
                              {QStringLiteral("expire_seconds"), 120}});
    });
    m_handlers.insert(ApiPaths::kQueryQRCode, [this](const Request &r) {
        if (m_qrToken.isEmpty() || text(r.params, QStringLiteral("token")) != m_qrToken)
            return ok(QJsonObject{{QStringLiteral("qr_code_status"), 4}});
        // Without a phone app (qr_manual off) each query moves the code one step on: shown,
        // scanned, confirmed. With it, the code stays where the last "qr_step" put it.
        const int status = m_forcedQrStatus >= 0 ? m_forcedQrStatus : m_qrStatus;
        if (!m_qrManual && m_forcedQrStatus < 0 && m_qrStatus < 2)
            ++m_qrStatus;
        return ok(QJsonObject{{QStringLiteral("qr_code_status"), status}});
    });
    m_handlers.insert(ApiPaths::kSignInByQRCode, [this](const Request &r) {
        const int status = m_forcedQrStatus >= 0 ? m_forcedQrStatus : m_qrStatus;
        if (m_qrToken.isEmpty() || text(r.params, QStringLiteral("token")) != m_qrToken || status < 2 || status > 2)
            return failure(QStringLiteral("二维码已失效"), 400);
        // A code signs in once.
        m_qrToken.clear();
        return signInReply(m_accounts.value(m_qrAccount).value(QStringLiteral("user")).toObject());
    });
    m_handlers.insert(ApiPaths::kNodeList, [this](const Request &) { return ok(lines()); });
    auto connect = [this, needUser](const Request &r) {
        return needUser(r, [this, r](QJsonObject user) {
            qint64 id = r.params.value(QStringLiteral("node_info_id")).toInteger();
            if (id == 0)
                id = r.params.value(QStringLiteral("node_id")).toVariant().toLongLong();
            return connectReply(id, user);
        });
    };
    m_handlers.insert(ApiPaths::kConnect2, connect);
    m_handlers.insert(ApiPaths::kNodesConnect, connect);
    m_handlers.insert(ApiPaths::kLocationV2, [](const Request &) {
        return ok(QJsonObject{{QStringLiteral("is_domestic"), 1}});
    });
    m_handlers.insert(ApiPaths::kReportConnectionLog, [this](const Request &r) {
        m_connectionReports.append(r.params);
        return ok();
    });
    m_handlers.insert(ApiPaths::kAdvertisements, [this](const Request &r) {
        const int type = text(r.params, QStringLiteral("type")).toInt();
        const QString archive = type == 6 ? QStringLiteral("banner") : QStringLiteral("splash");
        QJsonObject reply = ok(QJsonObject{{QStringLiteral("page_datas"), QJsonArray{QJsonObject{
            {QStringLiteral("id"), type == 6 && m_bannerId != 0 ? m_bannerId : type * 10 + 1}, {QStringLiteral("type"), type},
            {QStringLiteral("img_url"), m_archives.relativeUrl(archive)},
            {QStringLiteral("link_url"), QStringLiteral("{\"type\":\"outer\",\"value\":\"%1/static/page.html\"}").arg(m_baseUrl)},
            // The service writes these counts and flags as texts.
            {QStringLiteral("show_seconds"), QStringLiteral("3")}, {QStringLiteral("close_seconds"), QStringLiteral("3")},
            {QStringLiteral("adv_flag"), QStringLiteral("1")}, {QStringLiteral("customlize_flag"), QStringLiteral("0")}}}}});
        reply.insert(QStringLiteral("success"), 1);
        return reply;
    });
    registerMessageHandlers();
    // One notice of each frequency: once ever (5), again after nextPushSeconds (2), once per
    // session (1). Their pages are the "system-notice-default" package unless told otherwise.
    auto notice = [](int id, int frequency, const QString &title) {
        return QJsonObject{{QStringLiteral("id"), id}, {QStringLiteral("title"), title},
                           {QStringLiteral("body"), QStringLiteral("The stand-in service is running.")},
                           {QStringLiteral("frequency"), frequency}, {QStringLiteral("times"), 1},
                           {QStringLiteral("nextPushSeconds"), 3600}, {QStringLiteral("template"), QStringLiteral("text")}};
    };
    m_notices = QJsonArray{notice(7, 5, QStringLiteral("服务公告")), notice(8, 2, QStringLiteral("每小时公告")),
                           notice(9, 1, QStringLiteral("本次启动公告"))};
    m_handlers.insert(ApiPaths::kNotificationList, [this](const Request &) {
        return ok(QJsonObject{{QStringLiteral("page_datas"), m_notices}});
    });
    m_handlers.insert(ApiPaths::kSystemSetting, [this](const Request &) {
        QJsonObject content{{QStringLiteral("staticurl"), m_baseUrl + QStringLiteral("/static/")}};
        for (const QString &key : StandinArchives::pageKeys())
            content.insert(key, m_archives.relativeUrl(key));
        return ok(QJsonObject{{QStringLiteral("globalsettings"), QJsonObject{{QStringLiteral("content"), content}}}});
    });
    m_handlers.insert(ApiPaths::kUpdateApp, [this](const Request &) {
        QJsonObject settings{
            {QStringLiteral("update_state"), m_updateState},
            {QStringLiteral("update_title"), QStringLiteral("新版本")},
            {QStringLiteral("update_content"), QStringLiteral("Improvements and fixes.")},
            {QStringLiteral("version"), QStringLiteral("9.9.9")},
            {QStringLiteral("jump_url"), m_baseUrl + QStringLiteral("/static/page.html")},
            {QStringLiteral("is_update"), m_updateState > 0 ? 1 : 0}};
        // The real package by default; a path of the stand-in (a missing file, a transfer cut
        // off) or a whole address when told; none at all for an empty text.
        const QString url = m_updateUrl.value_or(QStringLiteral("/static/ostrel.deb"));
        if (!url.isEmpty())
            settings.insert(QStringLiteral("update_url"), url.startsWith(QLatin1Char('/')) ? m_baseUrl + url : url);
        return ok(QJsonObject{{QStringLiteral("settings"), settings}});
    });
    // What the local purchase and download pages ask for through their own signed requests.
    m_handlers.insert(ApiPaths::kProducts, [](const Request &) {
        QJsonArray products;
        products.append(QJsonObject{{QStringLiteral("id"), 1}, {QStringLiteral("name"), QStringLiteral("月度会员")},
                                    {QStringLiteral("price"), QStringLiteral("30.00")}, {QStringLiteral("days"), 30}});
        products.append(QJsonObject{{QStringLiteral("id"), 2}, {QStringLiteral("name"), QStringLiteral("年度会员")},
                                    {QStringLiteral("price"), QStringLiteral("298.00")}, {QStringLiteral("days"), 365}});
        return ok(QJsonObject{{QStringLiteral("page_datas"), products}});
    });
    m_handlers.insert(ApiPaths::kAppVersionList, [this](const Request &) {
        QJsonArray versions;
        versions.append(QJsonObject{{QStringLiteral("platform"), QStringLiteral("linux")}, {QStringLiteral("version"), QStringLiteral("9.9.9")},
                                    {QStringLiteral("url"), m_baseUrl + QStringLiteral("/static/installer.dmg")}});
        versions.append(QJsonObject{{QStringLiteral("platform"), QStringLiteral("mac")}, {QStringLiteral("version"), QStringLiteral("9.9.9")},
                                    {QStringLiteral("url"), QStringLiteral("https://example.com/download")}});
        return ok(QJsonObject{{QStringLiteral("page_datas"), versions}});
    });
    m_handlers.insert(ApiPaths::kResourcePackageVersion, [this](const Request &) {
        return ok(QJsonObject{{QStringLiteral("aclVersion"), m_aclVersion}, {QStringLiteral("h5Version"), m_h5Version},
                              {QStringLiteral("domainVersion"), QStringLiteral("1")}, {QStringLiteral("notificationVersion"), 1}});
    });
    m_handlers.insert(ApiPaths::kRouterFiles, [this](const Request &) {
        QJsonObject files;
        for (const QString &list : {QStringLiteral("gfwlist"), QStringLiteral("global"), QStringLiteral("gfwlist_KR"), QStringLiteral("gfwlist_otd")})
            files.insert(list, QJsonObject{{QStringLiteral("file_path"), m_archives.relativeUrl(list)},
                                           {QStringLiteral("updated_at"), m_routeUpdatedAt.value(list, 2)}});
        return ok(files);
    });
    m_handlers.insert(ApiPaths::kDomainHosts, [this](const Request &) {
        return ok(QJsonObject{{QStringLiteral("inner"), QJsonObject{{QStringLiteral("content"), QJsonArray::fromStringList(m_innerHosts)}}},
                              {QStringLiteral("out"), QJsonObject{{QStringLiteral("content"), QJsonArray::fromStringList(m_outUrls)}}}});
    });
    m_handlers.insert(ApiPaths::kFeedbackList, [this](const Request &) {
        return ok(QJsonObject{{QStringLiteral("page_datas"), m_feedback}});
    });
    m_handlers.insert(ApiPaths::kFeedbackRecord, [this](const Request &r) {
        const qint64 id = r.params.value(QStringLiteral("feedback_id")).toInteger();
        const int index = feedbackIndex(id);
        if (index < 0)
            return failure(QStringLiteral("反馈不存在"), 404);
        // Reading the conversation reads the service's answers: the list's mark goes.
        QJsonObject vo = m_feedback.at(index).toObject();
        vo.insert(QStringLiteral("is_read"), 0);
        m_feedback.replace(index, vo);
        QJsonArray records;
        for (const QJsonValue &rec : std::as_const(m_feedbackRecords)) {
            if (rec.toObject().value(QStringLiteral("feedbackId")).toInteger() == id)
                records.append(rec);
        }
        return ok(QJsonObject{{QStringLiteral("feedbackVo"), vo}, {QStringLiteral("record"), records},
                              {QStringLiteral("state"), m_feedbackState.value(id, 0)}});
    });
    m_handlers.insert(ApiPaths::kActionTrack, [this](const Request &r) {
        m_analytics.append(r.params);
        return ok();
    });
    m_handlers.insert(ApiPaths::kRequestLog, [this](const Request &r) {
        for (const QJsonValue &row : r.params.value(QStringLiteral("logs")).toArray())
            m_requestLogs.append(row);
        return ok();
    });
}

int StandinState::feedbackIndex(qint64 id) const
{
    for (int i = 0; i < m_feedback.size(); ++i) {
        if (m_feedback.at(i).toObject().value(QStringLiteral("id")).toInteger() == id)
            return i;
    }
    return -1;
}

QString StandinState::keepPicture(const FilePart &part)
{
    // Served under a name of the service's own making, never the uploader's file name.
    const QString fid = QString::fromLatin1(QCryptographicHash::hash(part.content, QCryptographicHash::Md5).toHex());
    const QString name = QStringLiteral("%1-%2.jpg").arg(m_pictures.size() + 1).arg(fid.left(12));
    m_pictures.insert(name, part.content);
    return QStringLiteral("/static/feedback/%1?fid=%2").arg(name, fid);
}

std::optional<QByteArray> StandinState::picture(const QString &name) const
{
    std::lock_guard lock(m_mutex);
    const auto it = m_pictures.constFind(name);
    if (it == m_pictures.constEnd())
        return std::nullopt;
    return it.value();
}

QJsonObject StandinState::uploadRecord(const Request &request, const QList<FilePart> &parts, QJsonObject &fields,
                                       QStringList &pictureUrls)
{
    QJsonArray files;
    for (const FilePart &part : parts) {
        if (part.name != QLatin1String("file")) {
            fields.insert(part.name, QString::fromUtf8(part.content));
            continue;
        }
        pictureUrls << keepPicture(part);
        files.append(QJsonObject{{QStringLiteral("filename"), part.fileName}, {QStringLiteral("content_type"), part.contentType},
                                 {QStringLiteral("size"), part.content.size()},
                                 {QStringLiteral("md5"), QString::fromLatin1(QCryptographicHash::hash(part.content, QCryptographicHash::Md5).toHex())}});
    }
    return QJsonObject{{QStringLiteral("path"), request.path}, {QStringLiteral("fields"), fields},
                       {QStringLiteral("files"), files.size()}, {QStringLiteral("file_parts"), files},
                       {QStringLiteral("file_secret"), request.headers.value(QStringLiteral("file_secret"))}};
}

void StandinState::addRecord(qint64 feedbackId, const QString &content, const QString &imageUrl, bool byUser)
{
    QJsonObject record{{QStringLiteral("id"), m_feedbackRecords.size() + 1},
                       {QStringLiteral("feedbackId"), feedbackId},
                       {QStringLiteral("content"), content},
                       {QStringLiteral("createTime"), QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))},
                       {QStringLiteral("userType"), byUser ? 0 : 1}, {QStringLiteral("userId"), byUser ? 0 : 1},
                       {QStringLiteral("username"), byUser ? QStringLiteral("me") : QStringLiteral("客服")}};
    if (!imageUrl.isEmpty())
        record.insert(QStringLiteral("imageUrl"), imageUrl);
    m_feedbackRecords.append(record);
    if (byUser)
        return;
    // A new answer from the service: the list marks the feedback until it is read.
    const int index = feedbackIndex(feedbackId);
    if (index < 0)
        return;
    QJsonObject vo = m_feedback.at(index).toObject();
    vo.insert(QStringLiteral("is_read"), 1);
    m_feedback.replace(index, vo);
}

QJsonObject StandinState::createFeedback(const Request &request, const QList<FilePart> &parts)
{
    std::lock_guard lock(m_mutex);
    QJsonObject fields;
    QStringList pictures;
    m_uploads.append(uploadRecord(request, parts, fields, pictures));
    const QString content = fields.value(QStringLiteral("content")).toString();
    if (content.isEmpty())
        return QJsonObject{{QStringLiteral("success"), false}, {QStringLiteral("message"), QStringLiteral("反馈内容不能为空")}};
    const qint64 id = m_nextFeedbackId++;
    // Newest first, as the service lists them.
    m_feedback.prepend(QJsonObject{{QStringLiteral("id"), id}, {QStringLiteral("content"), content},
                                   {QStringLiteral("created_at"), QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))},
                                   {QStringLiteral("image_url"), QJsonArray::fromStringList(pictures)}, {QStringLiteral("is_read"), 0},
                                   {QStringLiteral("kind"), fields.value(QStringLiteral("kind")).toString().toInt()}});
    addRecord(id, QStringLiteral("您好，已收到您的反馈，我们正在核实，请留意本页的回复。"), QString(), false);
    return QJsonObject{{QStringLiteral("success"), true}, {QStringLiteral("message"), QStringLiteral("提交成功")}};
}

QJsonObject StandinState::resendFeedback(const Request &request, const QList<FilePart> &parts)
{
    std::lock_guard lock(m_mutex);
    QJsonObject fields;
    QStringList pictures;
    m_uploads.append(uploadRecord(request, parts, fields, pictures));
    const qint64 id = fields.value(QStringLiteral("userFeedbackId")).toString().toLongLong();
    if (feedbackIndex(id) < 0)
        return QJsonObject{{QStringLiteral("success"), 0}, {QStringLiteral("message"), QStringLiteral("反馈不存在")}};
    if (m_feedbackState.value(id, 0) == 1 || m_feedbackState.value(id, 0) == 2)
        return QJsonObject{{QStringLiteral("success"), 0}, {QStringLiteral("message"), QStringLiteral("反馈已结束")}};
    const QString content = fields.value(QStringLiteral("content")).toString();
    const QString picture = pictures.isEmpty() ? QString() : m_baseUrl + pictures.first();
    addRecord(id, content, picture, true);
    const QJsonObject record = m_feedbackRecords.last().toObject();
    // A support agent answers every reply.
    addRecord(id, picture.isEmpty() ? QStringLiteral("感谢补充，技术人员正在处理，请稍候。")
                                    : QStringLiteral("图片已收到，我们会尽快查看。"), QString(), false);
    return QJsonObject{{QStringLiteral("success"), 1}, {QStringLiteral("data"), record}};
}

void StandinState::registerPageHandlers()
{
    auto withUser = [this](const Request &request, const std::function<QJsonObject(const QJsonObject &)> &body) {
        const QJsonObject user = userForToken(request.token);
        return user.isEmpty() ? failure(QStringLiteral("请先登录"), 401) : body(user);
    };
    m_handlers.insert(ApiPaths::kInvitationInfo, [this, withUser](const Request &r) {
        return withUser(r, [this](const QJsonObject &user) { return ok(m_pageData.invitation(user)); });
    });
    m_handlers.insert(ApiPaths::kWebsites, [this](const Request &) { return ok(m_pageData.websites()); });
    m_handlers.insert(ApiPaths::kActivityCheckStatus, [this, withUser](const Request &r) {
        return withUser(r, [this](const QJsonObject &user) {
            return ok(m_pageData.lotteryStatus(user.value(QStringLiteral("id")).toInteger()));
        });
    });
    m_handlers.insert(ApiPaths::kLotteryDraw, [this, withUser](const Request &r) {
        return withUser(r, [this, &r](const QJsonObject &user) {
            const std::optional<QJsonObject> won = m_pageData.draw(user.value(QStringLiteral("id")).toInteger());
            if (!won)
                return failure(QStringLiteral("抽奖次数已用完"), 400);
            storeUser(StandinPageData::withPrize(user, won->value(QStringLiteral("prize")).toObject()));
            return ok(*won);
        });
    });
}

void StandinState::loadKept()
{
    QFile file(m_signInFile);
    if (!file.open(QIODevice::ReadOnly))
        return;   // none yet
    const QJsonObject saved = QJsonDocument::fromJson(file.readAll()).object();
    const QJsonObject tokens = saved.value(QStringLiteral("tokens")).toObject();
    for (auto it = tokens.begin(); it != tokens.end(); ++it) {
        if (it.value().isObject())
            m_usersByToken.insert(it.key(), it.value().toObject());
    }
    // A kept account wins over the built-in one of the same name: its password may have changed.
    const QJsonObject accounts = saved.value(QStringLiteral("accounts")).toObject();
    for (auto it = accounts.begin(); it != accounts.end(); ++it) {
        const QJsonObject entry = it.value().toObject();
        if (entry.value(QStringLiteral("user")).isObject() && entry.value(QStringLiteral("password_sha256")).isString())
            m_accounts.insert(it.key(), entry);
    }
    m_nextUserId = std::max(m_nextUserId, saved.value(QStringLiteral("next_user_id")).toInteger());
}

void StandinState::saveKept() const
{
    if (m_signInFile.isEmpty())
        return;
    QJsonObject tokens;
    for (auto it = m_usersByToken.constBegin(); it != m_usersByToken.constEnd(); ++it)
        tokens.insert(it.key(), it.value());
    QJsonObject accounts;
    for (auto it = m_accounts.constBegin(); it != m_accounts.constEnd(); ++it)
        accounts.insert(it.key(), it.value());
    // Tokens are secrets: the file is the owner's alone from its first byte. Whole or not at all:
    // the sign-ins kept before stay when the disk is full.
    const QString error = WholeFile::write(
        m_signInFile,
        QJsonDocument(QJsonObject{{QStringLiteral("next_user_id"), m_nextUserId}, {QStringLiteral("tokens"), tokens},
                                  {QStringLiteral("accounts"), accounts}})
            .toJson(QJsonDocument::Compact),
        QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (!error.isEmpty())
        std::fprintf(stderr, "ostrel-standin: sign-ins and accounts not kept (%s)\n", qPrintable(error));
}

void StandinState::applyControl(const QJsonObject &control)
{
    std::lock_guard lock(m_mutex);
    if (control.value(QStringLiteral("sign_in_file")).isString()) {
        m_signInFile = control.value(QStringLiteral("sign_in_file")).toString();
        loadKept();
    }
    m_pageData.applyControl(control);
    if (control.contains(QStringLiteral("qr_status")))
        m_forcedQrStatus = control.value(QStringLiteral("qr_status")).toInt(-1);
    if (control.contains(QStringLiteral("qr_manual")))
        m_qrManual = control.value(QStringLiteral("qr_manual")).toBool();
    if (control.value(QStringLiteral("qr_account")).isString())
        m_qrAccount = control.value(QStringLiteral("qr_account")).toString();
    // What the phone app does with the code on show: scan it, confirm or cancel the sign-in; or
    // the code running out.
    static const QMap<QString, int> steps{{QStringLiteral("scan"), 1}, {QStringLiteral("confirm"), 2},
                                          {QStringLiteral("cancel"), 3}, {QStringLiteral("expire"), 4}};
    const QString step = control.value(QStringLiteral("qr_step")).toString();
    if (steps.contains(step)) {
        m_qrStatus = steps.value(step);
        std::printf("qr code: %s\n", qPrintable(step));
        std::fflush(stdout);
    }
    if (control.contains(QStringLiteral("update_state")))
        m_updateState = control.value(QStringLiteral("update_state")).toInt();
    if (control.contains(QStringLiteral("banner_id")))
        m_bannerId = control.value(QStringLiteral("banner_id")).toInteger();
    if (control.contains(QStringLiteral("update_url")))
    {
        const QJsonValue url = control.value(QStringLiteral("update_url"));
        m_updateUrl = url.isString() ? std::optional<QString>(url.toString()) : std::nullopt;
    }
    if (control.value(QStringLiteral("ss")).isObject()) {
        const QJsonObject ss = control.value(QStringLiteral("ss")).toObject();
        for (auto it = ss.constBegin(); it != ss.constEnd(); ++it)
            m_ss.insert(it.key(), it.value());
    }
    if (control.value(QStringLiteral("domain_hosts")).isObject()) {
        const QJsonObject hosts = control.value(QStringLiteral("domain_hosts")).toObject();
        m_innerHosts.clear();
        m_outUrls.clear();
        for (const QJsonValue &v : hosts.value(QStringLiteral("inner")).toArray())
            m_innerHosts << v.toString();
        for (const QJsonValue &v : hosts.value(QStringLiteral("out")).toArray())
            m_outUrls << v.toString();
    }
    if (control.value(QStringLiteral("remote_hosts")).isArray()) {
        m_remoteHosts.clear();
        for (const QJsonValue &v : control.value(QStringLiteral("remote_hosts")).toArray())
            m_remoteHosts << v.toString();
    }
    if (control.value(QStringLiteral("resource_versions")).isObject()) {
        const QJsonObject versions = control.value(QStringLiteral("resource_versions")).toObject();
        if (versions.contains(QStringLiteral("aclVersion")))
            m_aclVersion = versions.value(QStringLiteral("aclVersion")).toInt();
        if (versions.contains(QStringLiteral("h5Version")))
            m_h5Version = versions.value(QStringLiteral("h5Version")).toString();
    }
    // New route-list text: a new archive, and the list's "updated_at" moves on.
    const QJsonObject routeFiles = control.value(QStringLiteral("route_files")).toObject();
    for (auto it = routeFiles.begin(); it != routeFiles.end(); ++it) {
        m_archives.setRouteFile(it.key(), it.value().toString().toUtf8());
        m_routeUpdatedAt.insert(it.key(), m_routeUpdatedAt.value(it.key(), 2) + 1);
    }
    const QJsonObject pageFiles = control.value(QStringLiteral("page_files")).toObject();
    for (auto it = pageFiles.begin(); it != pageFiles.end(); ++it) {
        StandinArchives::Files files;
        const QJsonObject object = it.value().toObject();
        for (auto f = object.begin(); f != object.end(); ++f)
            files.append({f.key(), f.value().toString().toUtf8()});
        m_archives.setPageFiles(it.key(), StandinArchives::withCommonFiles(files));
    }
    // Any bytes as an archive (Base64), for hostile archives; a route list's version moves on too.
    const QJsonObject raw = control.value(QStringLiteral("raw_archives")).toObject();
    for (auto it = raw.begin(); it != raw.end(); ++it) {
        m_archives.setRawArchive(it.key(), QByteArray::fromBase64(it.value().toString().toLatin1()));
        if (m_routeUpdatedAt.contains(it.key()) || it.key().startsWith(QLatin1String("gfwlist")) || it.key() == QLatin1String("global"))
            m_routeUpdatedAt.insert(it.key(), m_routeUpdatedAt.value(it.key(), 2) + 1);
    }
    // {"feedback_state": {"<id>": 0 | 1 finished | 2 adopted}}
    const QJsonObject states = control.value(QStringLiteral("feedback_state")).toObject();
    for (auto it = states.constBegin(); it != states.constEnd(); ++it)
        m_feedbackState.insert(it.key().toLongLong(), it.value().toInt());
    // {"messages": [...]} replaces the message list as given (any records, hostile ones too);
    // {"messages": "default"} brings the demo's back.
    if (control.value(QStringLiteral("messages")).isArray())
        m_messages = control.value(QStringLiteral("messages")).toArray();
    else if (control.value(QStringLiteral("messages")).toString() == QLatin1String("default"))
        m_messages = defaultMessages();
    if (control.value(QStringLiteral("notices")).isArray())
        m_notices = control.value(QStringLiteral("notices")).toArray();
    if (control.contains(QStringLiteral("resource_version"))) {
        const QJsonValue version = control.value(QStringLiteral("resource_version"));
        m_resourceVersion = version.isUndefined() ? std::nullopt : std::optional<QJsonValue>(version);
    }
    if (control.value(QStringLiteral("clear_records")).toBool()) {
        m_requests = {};
        m_analytics = {};
        m_requestLogs = {};
        m_connectionReports = {};
        m_uploads = {};
        m_codes = {};
    }
}

QJsonObject StandinState::records() const
{
    std::lock_guard lock(m_mutex);
    return QJsonObject{{QStringLiteral("requests"), m_requests}, {QStringLiteral("analytics"), m_analytics},
                       {QStringLiteral("request_logs"), m_requestLogs}, {QStringLiteral("connection_reports"), m_connectionReports},
                       {QStringLiteral("uploads"), m_uploads},
                       {QStringLiteral("codes"), m_codes}};
}

QStringList StandinState::remoteHosts() const
{
    std::lock_guard lock(m_mutex);
    return m_remoteHosts;
}
