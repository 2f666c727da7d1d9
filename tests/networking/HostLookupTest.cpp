// Name lookups through c-ares on the caller's event loop, against a resolver of the test's own
// on loopback: one that answers, and one that never does.
#include <QHostAddress>

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
