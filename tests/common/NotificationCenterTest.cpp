#include "common/NotificationCenter.h"
#include "common/NotificationNames.h"

#include <QCoreApplication>
#include <QObject>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

using Delivery = NotificationCenter::Delivery;

TEST(NotificationCenterTest, PostRunsObserversOfThatNameWithTheUserInfo)
{
    NotificationCenter center;
    QObject owner;
    QVariantMap received;
    int otherCalls = 0;
    center.addObserver(NotificationNames::ServerCMD, &owner, [&](const Notification &n) { received = n.userInfo; });
    center.addObserver(NotificationNames::VPNStop, &owner, [&](const Notification &) { ++otherCalls; });

    center.post(NotificationNames::ServerCMD, {{QStringLiteral("cmd"), 3}, {QStringLiteral("cmdDes"), QStringLiteral("x")}});

    EXPECT_EQ(received.value(QStringLiteral("cmd")).toInt(), 3);
    EXPECT_EQ(otherCalls, 0);
}

TEST(NotificationCenterTest, ObserversGoAwayWithTheirOwner)
{
    NotificationCenter center;
    int calls = 0;
    auto owner = std::make_unique<QObject>();
    center.addObserver(NotificationNames::kTunStateChange, owner.get(), [&](const Notification &) { ++calls; });
    center.post(NotificationNames::kTunStateChange);
    owner.reset();
    center.post(NotificationNames::kTunStateChange);

    EXPECT_EQ(calls, 1);
    EXPECT_EQ(center.observerCount(NotificationNames::kTunStateChange), 0);
}

TEST(NotificationCenterTest, RemovingByTokenAndByOwner)
{
    NotificationCenter center;
    QObject first;
    QObject second;
    int firstCalls = 0;
    int secondCalls = 0;
    const auto token = center.addObserver(QStringLiteral("n"), &first, [&](const Notification &) { ++firstCalls; });
    center.addObserver(QStringLiteral("n"), &second, [&](const Notification &) { ++secondCalls; });
    center.addObserver(QStringLiteral("m"), &second, [&](const Notification &) { ++secondCalls; });

    center.removeObserver(token);
    center.post(QStringLiteral("n"));
    EXPECT_EQ(firstCalls, 0);
    EXPECT_EQ(secondCalls, 1);

    center.removeObservers(&second);
    center.post(QStringLiteral("n"));
    center.post(QStringLiteral("m"));
    EXPECT_EQ(secondCalls, 1);
    EXPECT_EQ(center.addObserver(QStringLiteral("n"), nullptr, [](const Notification &) {}), 0u);
}

TEST(NotificationCenterTest, ObserversMayRemoveThemselvesAndOthersDuringAPost)
{
    NotificationCenter center;
    QObject owner;
    std::vector<int> order;
    NotificationCenter::Token second = 0;
    NotificationCenter::Token first = 0;
    first = center.addObserver(QStringLiteral("n"), &owner, [&](const Notification &) {
        order.push_back(1);
        center.removeObserver(first);
        center.removeObserver(second);
    });
    second = center.addObserver(QStringLiteral("n"), &owner, [&](const Notification &) { order.push_back(2); });
    center.addObserver(QStringLiteral("n"), &owner, [&](const Notification &) {
        order.push_back(3);
        // Added during a post: runs from the next post on.
        center.addObserver(QStringLiteral("n"), &owner, [&](const Notification &) { order.push_back(4); });
    });

    center.post(QStringLiteral("n"));
    EXPECT_EQ(order, (std::vector<int>{1, 3}));
    order.clear();
    center.post(QStringLiteral("n"));
    EXPECT_EQ(order, (std::vector<int>{3, 4}));
}

TEST(NotificationCenterTest, AnObserverThatDestroysAnotherOwnerSkipsIt)
{
    NotificationCenter center;
    QObject killer;
    auto victim = std::make_unique<QObject>();
    int victimCalls = 0;
    center.addObserver(QStringLiteral("n"), &killer, [&](const Notification &) { victim.reset(); });
    center.addObserver(QStringLiteral("n"), victim.get(), [&](const Notification &) { ++victimCalls; });
    center.post(QStringLiteral("n"));
    EXPECT_EQ(victimCalls, 0);
}

TEST(NotificationCenterTest, BlocksRunOnThePostingThreadUnlessMainIsAsked)
{
    NotificationCenter center;
    QObject owner;
    QThread *postingThreadSeen = nullptr;
    QThread *mainThreadSeen = nullptr;
    center.addObserver(QStringLiteral("n"), &owner, [&](const Notification &) { postingThreadSeen = QThread::currentThread(); });
    center.addObserver(QStringLiteral("n"), &owner,
                       [&](const Notification &) { mainThreadSeen = QThread::currentThread(); }, Delivery::MainThread);

    std::unique_ptr<QThread> worker(QThread::create([&] { center.post(QStringLiteral("n")); }));
    worker->start();
    ASSERT_TRUE(worker->wait(5000));

    EXPECT_EQ(postingThreadSeen, worker.get());
    EXPECT_EQ(mainThreadSeen, nullptr); // queued, not yet run
    EXPECT_TRUE(QTest::qWaitFor([&] { return mainThreadSeen != nullptr; }, 2000));
    EXPECT_EQ(mainThreadSeen, QCoreApplication::instance()->thread());
}

TEST(NotificationCenterTest, QueuedBlockOfADestroyedOwnerNeverRuns)
{
    NotificationCenter center;
    auto owner = std::make_unique<QObject>();
    int calls = 0;
    center.addObserver(QStringLiteral("n"), owner.get(), [&](const Notification &) { ++calls; }, Delivery::MainThread);

    std::unique_ptr<QThread> worker(QThread::create([&] { center.post(QStringLiteral("n")); }));
    worker->start();
    ASSERT_TRUE(worker->wait(5000));
    owner.reset();
    // The queued delivery was posted before this marker, so it has had its turn once the marker ran.
    bool markerRan = false;
    QMetaObject::invokeMethod(QCoreApplication::instance(), [&] { markerRan = true; }, Qt::QueuedConnection);
    ASSERT_TRUE(QTest::qWaitFor([&] { return markerRan; }, 2000));
    EXPECT_EQ(calls, 0);
}

TEST(NotificationCenterTest, MainThreadDeliveryFromTheMainThreadRunsAtOnce)
{
    QObject owner;
    int calls = 0;
    NotificationCenter &center = NotificationCenter::defaultCenter();
    center.addObserver(NotificationNames::kSwitchLanguge, &owner, [&](const Notification &) { ++calls; }, Delivery::MainThread);
    center.post(NotificationNames::kSwitchLanguge);
    EXPECT_EQ(calls, 1);
}

} // namespace
