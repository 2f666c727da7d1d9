// The redirect-logging session that no program uses, against the stand-in service.
#include <QNetworkAccessManager>
#include <QNetworkReply>

#include "support/MessageCapture.h"
#include "support/NetworkTestSupport.h"
#include "upgrade/unreached/Redirect.h"

namespace {

class RedirectTest : public StandinSuite
{
};

} // namespace

TEST_F(RedirectTest, WatchedRedirectsAreLoggedAndFollowed)
{
    MessageCapture log;
    Redirect redirect;
    const QString target = s_standin->baseUrl() + QStringLiteral("/static/page.html");
    const QString start = s_standin->baseUrl() + QStringLiteral("/static/redirect?to=")
        + QString::fromLatin1(QUrl::toPercentEncoding(target));
    QNetworkReply *reply = redirect.session()->get(QNetworkRequest(QUrl(start)));
    Redirect::watch(reply);
    ASSERT_TRUE(QTest::qWaitFor([&] { return reply->isFinished(); }, 5000));
    EXPECT_EQ(reply->error(), QNetworkReply::NoError);
    EXPECT_EQ(reply->url(), QUrl(target));
    EXPECT_TRUE(log.contains(QStringLiteral("Original URL: ") + start));
    EXPECT_TRUE(log.contains(QStringLiteral("Redirect URL: ") + target));
    reply->deleteLater();
}
