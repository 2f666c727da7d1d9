// A client whose web module is missing (a broken install): it says why once, and every road to a
// page degrades without a crash. The program is linked as the client is but sits in a folder with
// no module beside it or in ../lib/ostrel.
#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <memory>

#include "app/WebModule.h"
#include "networking/NBMessageListModel.h"
#include "settings/message/NBMessageDetailViewController.h"
#include "uikit/PlaceholderViewController.h"
#include "uikit/ScreenFactory.h"

TEST(WebModuleMissing, PagesBecomePlaceholdersThePaneStaysEmptyAndTheReasonIsKept)
{
    for (const QString &path : WebModule::candidatePaths())
        ASSERT_FALSE(QFileInfo::exists(path)) << path.toStdString();
    EXPECT_FALSE(WebModule::available());

    std::unique_ptr<NBBaseViewController> purchase(ScreenFactory::instance().make(QStringLiteral("Upgrade")));
    auto *placeholder = qobject_cast<PlaceholderViewController *>(purchase.get());
    ASSERT_NE(placeholder, nullptr);
    EXPECT_EQ(placeholder->screenName(), QStringLiteral("Upgrade"));
    EXPECT_FALSE(WebModule::isLoaded());
    EXPECT_TRUE(WebModule::errorString().contains(QString::fromLatin1(WebModule::kFileName)))
        << WebModule::errorString().toStdString();
    EXPECT_EQ(WebModule::views(), nullptr);

    // The message centre's pane: the message is taken, nothing is shown, nothing breaks.
    NBMessageDetailViewController detail;
    detail.ensureLoaded();
    NBMessageListModel model;
    model.id = 3;
    model.title = QStringLiteral("title");
    model.body = QStringLiteral("<p>kept</p>");
    detail.model = model;
    detail.loadMessage();
    EXPECT_EQ(detail.webView(), nullptr);
    EXPECT_TRUE(detail.loadedHtml().contains(QStringLiteral("<p>kept</p>")));
}
