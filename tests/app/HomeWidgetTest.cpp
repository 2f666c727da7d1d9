// The home screen against a real stand-in service: a first start signs in as a visitor, shows the
// service's lines, and a click on a line makes it the chosen line.
#include <QLabel>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

#include "app/HomeWidget.h"
#include "common/DefaultsKeys.h"
#include "common/Localization.h"
#include "common/MKUserInfoManager.h"
#include "common/UserDefaults.h"
#include "networking/NetworkUiHooks.h"
#include "networking/OORequestLogReporter.h"
#include "support/StandinProcess.h"
#include "vpn/HomeConnectController.h"
#include "vpn/OOHomeNodeModel.h"
#include "../networking/NetworkTestSupport.h"

namespace {

QListWidget *lineList(HomeWidget &home)
{
    return home.findChild<QListWidget *>();
}

bool showsText(HomeWidget &home, const QString &text)
{
    const QList<QLabel *> labels = home.findChildren<QLabel *>();
    return std::any_of(labels.begin(), labels.end(), [&](QLabel *label) { return label->text().contains(text); });
}

// The screen starts uploads of its own (the request log after the line list); one still in flight
// when a test's stand-in stops would fail into the next test's hooks.
class HomeWidgetScreen : public ::testing::Test
{
protected:
    void TearDown() override
    {
        QCoreApplication::processEvents();
        EXPECT_TRUE(QTest::qWaitFor([] { return !OORequestLogReporter::shared().isUploading(); }, 10000));
    }
};

} // namespace

TEST_F(HomeWidgetScreen, SignsInAsVisitorAndShowsTheServiceLines)
{
    StandinProcess standin;
    ASSERT_TRUE(standin.start()) << standin.errorText().toStdString();
    auto hooks = installRecordingHooks();
    pointClientAt({standin.baseUrl()});
    EXPECT_TRUE(MKUserInfoManager::shared().clearUser());

    HomeWidget home;
    home.show();

    QListWidget *list = lineList(home);
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->count() > 0; }, 10000));

    const auto user = MKUserInfoManager::shared().currentUser();
    ASSERT_TRUE(user.has_value());
    EXPECT_TRUE(user->hasToken());
    EXPECT_TRUE(hooks->hints.isEmpty());

    // A free line becomes the chosen line when clicked; a member line is refused for a visitor
    // and the purchase hint is shown instead.
    const QString membershipHint = localizedByAppLanguage(QStringLiteral("HOME_NEEDS_MEMBERSHIP"));
    bool choseFreeLine = false;
    bool refusedMemberLine = false;
    for (int row = 0; row < list->count(); ++row) {
        UserDefaults::standard().remove(DefaultsKeys::kProxyLineInfo);
        list->setCurrentRow(row);
        const auto stored = UserDefaults::standard().stringValue(DefaultsKeys::kProxyLineInfo);
        if (stored) {
            const auto chosen = OOHomeNodeModel::fromJsonText(*stored);
            ASSERT_TRUE(chosen.has_value());
            EXPECT_TRUE(list->item(row)->text().startsWith(chosen->name));
            EXPECT_NE(chosen->kind.value_or(0), 1);
            choseFreeLine = true;
            continue;
        }
        for (QLabel *label : home.findChildren<QLabel *>())
            refusedMemberLine = refusedMemberLine || label->text() == membershipHint;
        // The refused line is not shown as chosen; the chosen one (the first listed line while
        // none is stored) is, or nothing when it is not in the list.
        const auto chosen = home.controller().cachedLine();
        int chosenRow = -1;
        for (int other = 0; other < list->count(); ++other) {
            if (chosen && chosenRow < 0 && list->item(other)->text().startsWith(chosen->name))
                chosenRow = other;
        }
        EXPECT_EQ(list->currentRow(), chosenRow) << "row " << row;
        for (QListWidgetItem *item : list->selectedItems())
            EXPECT_EQ(list->row(item), chosenRow) << "row " << row;
    }
    EXPECT_TRUE(choseFreeLine);
    EXPECT_TRUE(refusedMemberLine);
}

TEST_F(HomeWidgetScreen, UnreachableServiceShowsAnErrorAndNoLines)
{
    auto hooks = installRecordingHooks();
    pointClientAt({QStringLiteral("http://127.0.0.1:9")});
    EXPECT_TRUE(MKUserInfoManager::shared().clearUser());

    HomeWidget home;
    home.show();
    QListWidget *list = lineList(home);
    ASSERT_NE(list, nullptr);
    // The request layer's no-network hint, and the failure text on the screen.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !hooks->hints.isEmpty() && showsText(home, hooks->hints.value(0)); }, 10000));
    EXPECT_EQ(list->count(), 0);
    EXPECT_FALSE(MKUserInfoManager::shared().currentUser().has_value());
}
