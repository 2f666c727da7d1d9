#include "StandinPageData.h"

#include <QDateTime>

namespace {

QJsonObject site(const QString &name, const QString &url, const QString &desc, const QString &category)
{
    return QJsonObject{{QStringLiteral("name"), name}, {QStringLiteral("url"), url},
                       {QStringLiteral("desc"), desc}, {QStringLiteral("category"), category}};
}

QJsonObject prize(int id, const QString &name, int days)
{
    return QJsonObject{{QStringLiteral("id"), id}, {QStringLiteral("name"), name}, {QStringLiteral("days"), days}};
}

} // namespace

StandinPageData::StandinPageData(const QString &baseUrl)
    : m_baseUrl(baseUrl)
{
    // One of each link kind a page may follow: the web, mail, and the client's own tabs.
    m_websites = QJsonArray{
        site(QStringLiteral("开源软件"), QStringLiteral("https://example.org/open-source"), QStringLiteral("自由软件精选"), QStringLiteral("工具")),
        site(QStringLiteral("在线课程"), QStringLiteral("https://example.com/courses"), QStringLiteral("随时随地学习"), QStringLiteral("学习")),
        site(QStringLiteral("新闻速递"), QStringLiteral("http://example.net/news"), QStringLiteral("每日要闻"), QStringLiteral("资讯")),
        site(QStringLiteral("联系客服"), QStringLiteral("mailto:support@example.com"), QStringLiteral("有问题找我们"), QStringLiteral("服务")),
        site(QStringLiteral("开通会员"), QStringLiteral("marlet://buy"), QStringLiteral("更多线路，更快速度"), QStringLiteral("服务")),
    };
    m_prizes = QJsonArray{prize(1, QStringLiteral("1天会员"), 1), prize(2, QStringLiteral("3天会员"), 3),
                          prize(3, QStringLiteral("7天会员"), 7), prize(4, QStringLiteral("30天会员"), 30)};
}

QJsonObject StandinPageData::invitation(const QJsonObject &user) const
{
    const qint64 id = user.value(QStringLiteral("id")).toInteger();
    const QString code = QStringLiteral("OS%1").arg(id, 6, 36, QLatin1Char('0')).toUpper();
    return QJsonObject{{QStringLiteral("invite_code"), code},
                       {QStringLiteral("invite_url"), QStringLiteral("https://example.com/invite?code=") + code},
                       {QStringLiteral("invited_count"), int(id % 4)},
                       {QStringLiteral("reward_days"), 3},
                       {QStringLiteral("rules"), QJsonArray{QStringLiteral("好友通过你的链接注册，你们各得 3 天会员。"),
                                                            QStringLiteral("每月最多累计 90 天。")}},
                       {QStringLiteral("rules_url"), m_baseUrl + QStringLiteral("/static/page.html")}};
}

QJsonObject StandinPageData::websites() const
{
    return QJsonObject{{QStringLiteral("page_datas"), m_websites}};
}

int StandinPageData::chancesLeft(qint64 userId) const
{
    return qMax(0, m_chances - m_draws.value(userId));
}

QJsonObject StandinPageData::lotteryStatus(qint64 userId) const
{
    return QJsonObject{{QStringLiteral("status"), 1}, {QStringLiteral("chances"), chancesLeft(userId)},
                       {QStringLiteral("prizes"), m_prizes}};
}

std::optional<QJsonObject> StandinPageData::draw(qint64 userId)
{
    if (chancesLeft(userId) <= 0)
        return std::nullopt;
    const int taken = m_draws.value(userId);
    m_draws.insert(userId, taken + 1);
    // The same sequence for everyone, so a test knows what the wheel shows.
    const QJsonObject won = m_prizes.at((2 + taken) % m_prizes.size()).toObject();
    return QJsonObject{{QStringLiteral("prize"), won}, {QStringLiteral("chances"), chancesLeft(userId)}};
}

void StandinPageData::applyControl(const QJsonObject &control)
{
    if (control.value(QStringLiteral("websites")).isArray())
        m_websites = control.value(QStringLiteral("websites")).toArray();
    if (control.value(QStringLiteral("lottery_chances")).isDouble()) {
        m_chances = control.value(QStringLiteral("lottery_chances")).toInt();
        m_draws.clear();
    }
}

QJsonObject StandinPageData::withPrize(const QJsonObject &user, const QJsonObject &prize)
{
    const QString format = QStringLiteral("yyyy-MM-dd HH:mm:ss");
    const QDateTime now = QDateTime::currentDateTime();
    QDateTime until = QDateTime::fromString(user.value(QStringLiteral("vip_invalid_time")).toString(), format);
    if (!until.isValid() || until < now)
        until = now;
    QJsonObject updated = user;
    updated.insert(QStringLiteral("vip_invalid_time"),
                   until.addDays(prize.value(QStringLiteral("days")).toInt()).toString(format));
    // A membership prize makes the account a member: the client lets members' lines through by
    // "user_type" 2 and shows the membership by the level (a senior member stays senior).
    updated.insert(QStringLiteral("user_type"), 2);
    if (updated.value(QStringLiteral("user_level")).toInt() < 1)
        updated.insert(QStringLiteral("user_level"), 1);
    return updated;
}
