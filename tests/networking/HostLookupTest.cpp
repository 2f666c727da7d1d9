// Name lookups through c-ares on the caller's event loop, against a resolver of the test's own
// on loopback: one that answers, and one that never does.
#include <QHostAddress>
#include <QStringList>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <memory>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "networking/HostLookup.h"
#include "support/TinyResolver.h"

namespace {

struct Answer
{
    bool came = false;
    QList<QHostAddress> addresses;
    QString error;
};

std::string joined(const QList<QHostAddress> &addresses)
{
    QStringList texts;
    for (const QHostAddress &address : addresses)
        texts << address.toString();
    return texts.join(QStringLiteral(", ")).toStdString();
}

HostLookup::Completion recordInto(std::shared_ptr<Answer> answer)
{
    return [answer](const QList<QHostAddress> &addresses, const QString &error) {
        answer->came = true;
        answer->addresses = addresses;
        answer->error = error;
    };
}

using Sockets = std::set<std::string>;

// The process's open sockets, by what /proc/self/fd links them to ("socket:[inode]").
Sockets openSockets()
{
    Sockets sockets;
    std::error_code error;
    for (const auto &entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
        const std::string target = std::filesystem::read_symlink(entry.path(), error).string();
        if (!error && target.rfind("socket:", 0) == 0)
            sockets.insert(target);
    }
    return sockets;
}

Sockets without(const Sockets &sockets, const Sockets &others)
{
    Sockets rest;
    std::set_difference(sockets.begin(), sockets.end(), others.begin(), others.end(),
                        std::inserter(rest, rest.end()));
    return rest;
}

class HostLookupTest : public ::testing::Test
{
protected:
    void TearDown() override { HostLookup::setServersForTesting({}); }
};

} // namespace

TEST_F(HostLookupTest, AnAddressAnswersWithItselfAndANameWithTheResolversAnswerBothOnlyLater)
{
    TinyResolver resolver({QHostAddress(QStringLiteral("127.0.0.2")), QHostAddress(QStringLiteral("::2"))});
    HostLookup::setServersForTesting(resolver.server());
    HostLookup lookup;

    auto literal = std::make_shared<Answer>();
    auto literal6 = std::make_shared<Answer>();
    auto name = std::make_shared<Answer>();
    lookup.lookup(QStringLiteral("127.0.0.1"), recordInto(literal));
    lookup.lookup(QStringLiteral("::1"), recordInto(literal6));
    lookup.lookup(QStringLiteral("api.ostrel.test"), recordInto(name));
    EXPECT_FALSE(literal->came) << "answered inside the call";
    EXPECT_EQ(lookup.pending(), 1);

    QTRY_VERIFY_WITH_TIMEOUT(literal->came && literal6->came && name->came, 20000);
    EXPECT_EQ(literal->addresses, QList<QHostAddress>{QHostAddress(QStringLiteral("127.0.0.1"))});
    EXPECT_EQ(literal6->addresses, QList<QHostAddress>{QHostAddress(QStringLiteral("::1"))});
    ASSERT_EQ(name->addresses.size(), 2) << qPrintable(name->error);
    EXPECT_TRUE(name->addresses.contains(QHostAddress(QStringLiteral("127.0.0.2"))));
    EXPECT_TRUE(name->addresses.contains(QHostAddress(QStringLiteral("::2"))));
    EXPECT_GE(resolver.questions(), 1);
    EXPECT_EQ(lookup.pending(), 0);
}

TEST_F(HostLookupTest, GoingEndsTheLookupsUnderWayClosesTheirSocketsAndAnswersNone)
{
    TinyResolver silent({}, false);
    HostLookup::setServersForTesting(silent.server());
    const Sockets before = openSockets();
    auto answer = std::make_shared<Answer>();
    auto lookup = std::make_unique<HostLookup>();
    lookup->lookup(QStringLiteral("api.ostrel.test"), recordInto(answer));
    QTRY_VERIFY_WITH_TIMEOUT(silent.questions() >= 1, 20000);
    EXPECT_EQ(lookup->pending(), 1);
    const Sockets asking = without(openSockets(), before);
    ASSERT_FALSE(asking.empty()) << "the lookup asked through no socket of its own";

    // The lookup would wait for its answer far longer than the test runs: only its end closes
    // the socket it asks through. c-ares answers it with "destruction" as it goes: that must
    // reach no one.
    lookup.reset();
    QCoreApplication::processEvents();
    EXPECT_FALSE(answer->came);
    const Sockets open = openSockets();
    const auto left = std::count_if(asking.begin(), asking.end(), [&open](const std::string &socket) {
        return open.count(socket) > 0;
    });
    EXPECT_EQ(left, 0) << "sockets of the lookup still open after it went";
}

TEST_F(HostLookupTest, ALookupMadeWhenNoneIsUnderWayAsksTheServersOfThatMomentAndOneMadeBesideAnotherAsksTheOthers)
{
    TinyResolver first({QHostAddress(QStringLiteral("127.0.0.2"))});
    TinyResolver second({QHostAddress(QStringLiteral("127.0.0.3"))});
    TinyResolver silent({}, false);
    HostLookup::setServersForTesting(first.server());
    HostLookup lookup;
    auto one = std::make_shared<Answer>();
    lookup.lookup(QStringLiteral("one.ostrel.test"), recordInto(one));
    QTRY_VERIFY_WITH_TIMEOUT(one->came, 20000);
    EXPECT_EQ(joined(one->addresses), "127.0.0.2") << qPrintable(one->error);

    // The system's resolver changed (another network) while none was under way.
    HostLookup::setServersForTesting(second.server());
    auto two = std::make_shared<Answer>();
    lookup.lookup(QStringLiteral("two.ostrel.test"), recordInto(two));
    QTRY_VERIFY_WITH_TIMEOUT(two->came, 20000);
    EXPECT_EQ(joined(two->addresses), "127.0.0.3") << qPrintable(two->error);
    EXPECT_FALSE(first.wasAsked(QStringLiteral("two.ostrel.test")));
    ASSERT_TRUE(second.wasAsked(QStringLiteral("two.ostrel.test"))) << "the servers set since were not asked";

    // Changed again while one is under way: a new channel would end that one, so the next lookup
    // still asks the servers it asks.
    HostLookup::setServersForTesting(silent.server());
    auto three = std::make_shared<Answer>();
    lookup.lookup(QStringLiteral("three.ostrel.test"), recordInto(three));
    QTRY_VERIFY_WITH_TIMEOUT(silent.wasAsked(QStringLiteral("three.ostrel.test")), 20000);
    HostLookup::setServersForTesting(first.server());
    auto four = std::make_shared<Answer>();
    lookup.lookup(QStringLiteral("four.ostrel.test"), recordInto(four));
    QTRY_VERIFY_WITH_TIMEOUT(silent.wasAsked(QStringLiteral("four.ostrel.test"))
                                 || first.wasAsked(QStringLiteral("four.ostrel.test")), 20000);
    EXPECT_FALSE(first.wasAsked(QStringLiteral("four.ostrel.test")));
    QCoreApplication::processEvents();
    EXPECT_FALSE(three->came) << qPrintable(three->error);
    EXPECT_EQ(lookup.pending(), 2);
}

TEST_F(HostLookupTest, AServerListItCannotUseFailsEachLookupWithTheReason)
{
    HostLookup::setServersForTesting(QStringLiteral("not a server"));
    HostLookup lookup;
    auto answer = std::make_shared<Answer>();
    lookup.lookup(QStringLiteral("api.ostrel.test"), recordInto(answer));
    QTRY_VERIFY_WITH_TIMEOUT(answer->came, 5000);
    EXPECT_TRUE(answer->addresses.isEmpty());
    EXPECT_FALSE(answer->error.isEmpty());
}
