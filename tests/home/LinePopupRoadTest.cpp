// The line popup over the real roads: the stand-in service's line list over HTTP, the helper
// daemon with its file backend and the scripted stand-in engine. Choosing a line or a mode while
// connected stops the connection and connects again with the new choice.

#include <QJsonArray>
#include <QLabel>
#include <QScrollBar>
#include <QTest>

#include "uikit/NBBaseView.h"
#include "LineTestSupport.h"
#include "common/ApiPaths.h"
#include "home/AssetImageView.h"
#include "home/NBHomeLineListView.h"
#include "home/NBHomeLineListViewDelegate.h"
#include "home/NBLineSwitchView.h"
#include "home/NBLineTableView.h"
#include "home/NBNewLineCell.h"
#include <QPushButton>
#include "home/NBSelectLineView.h"
#include "home/NBVPNModeView.h"
#include "support/ConnectRoadFixture.h"

namespace {

// What the home screen does with the popup's answer.
class HomeStandIn : public NBHomeLineListViewDelegate
{
public:
    HomeStandIn(HomeConnectController &road, NBSelectLineView &bar)
        : m_road(road)
        , m_bar(bar)
    {
    }
    void lineDidChange(const OOHomeNodeModel &line) override
    {
        ++changes;
        m_bar.update(line);
        m_road.lineDidChange();
    }
    int changes = 0;

private:
    HomeConnectController &m_road;
    NBSelectLineView &m_bar;
};

class LinePopupRoadTest : public ConnectRoadFixture
{
protected:
    void SetUp() override
    {
        startPieces(QStringLiteral("standin-sslocal-scripted"));
        signInAsVisitor();
        makeController();
        m_window.resize(800, 500);
        m_window.show();
        WindowInUse::setContentWidget(&m_window);
    }
    void TearDown() override
    {
        WindowInUse::setContentWidget(nullptr);
        ConnectRoadFixture::TearDown();
    }

    QList<OOHomeNodeModel> fetchLines()
    {
        std::optional<QString> text;
        bool done = false;
        OONetWorkTool::nodeList([&](std::optional<QString> reply, std::optional<NetError>) {
            text = reply;
            done = true;
        });
        EXPECT_TRUE(QTest::qWaitFor([&] { return done; }));
        QList<OOHomeNodeModel> lines;
        if (!text)
            return lines;
        const QJsonArray pages = QJsonDocument::fromJson(text->toUtf8()).object().value("page_datas").toArray();
        for (const QJsonValue &page : pages)
            lines << OOHomeNodeModel::fromJson(page.toObject());
        return lines;
    }

    NBHomeLineListView *openPopup(HomeStandIn &home, const QList<OOHomeNodeModel> &lines)
    {
        auto made = std::make_unique<NBHomeLineListView>();
        made->setDelegate(&home);
        made->setShowList(lines);
        made->reloadLines();
        NBHomeLineListView *popup = NBBaseView::show(std::move(made));
        EXPECT_TRUE(popup);
        QCoreApplication::processEvents();
        return popup;
    }

    QList<int> connectedLineIds() const
    {
        QList<int> ids;
        for (const QJsonValue &request : m_standin.records().value("requests").toArray()) {
            if (request.toObject().value("path").toString() == ApiPaths::kConnect2)
                ids << request.toObject().value("params").toObject().value("node_info_id").toVariant().toInt();
        }
        return ids;
    }

    // Waits for the stop, lets the road's 0.3 s pass, and waits for the new connection.
    bool reconnected(int before)
    {
        if (!QTest::qWaitFor([&] { return m_view.looks.contains(QStringLiteral("stopped")); }))
            return false;
        m_clock.advance(HomeConnectController::kReconnectDelayMs);
        return QTest::qWaitFor([&] { return m_controller->isConnected() && connectedLineIds().size() == before + 1; }, 10000);
    }

    QWidget m_window;
};

TEST_F(LinePopupRoadTest, ChoosingALineAndThenAModeWhileConnectedReconnectsEachTime)
{
    const QList<OOHomeNodeModel> lines = fetchLines();
    ASSERT_GE(lines.size(), 5);
    m_controller->setShowList(lines);
    ASSERT_TRUE(connectAndWait()) << m_view.errors.join('|').toStdString();
    ASSERT_EQ(connectedLineIds(), QList<int>{101});

    NBSelectLineView bar(&m_window);
    HomeStandIn home(*m_controller, bar);

    // The popup marks the connected line, and its flag path goes under the stand-in's host.
    NBHomeLineListView *popup = openPopup(home, lines);
    ASSERT_NE(popup->selectLineMode(), nullptr);
    EXPECT_EQ(popup->selectLineMode()->id, 101);
    EXPECT_EQ(popup->showList().at(0).abbrUrl, m_standin.baseUrl() + QStringLiteral("/static/flags/jp.png"));
    // The flag arrives over HTTP into the first row's cell.
    ASSERT_TRUE(QTest::qWaitFor([&] { return popup->tableView()->cellForRow(0)->iconView()->showsRemoteImage(); }));

    // Shanghai, the fourth row: a click on it.
    int row = -1;
    for (int i = 0; i < popup->showList().size(); ++i)
        if (popup->showList().at(i).id == 301)
            row = i;
    ASSERT_GE(row, 0);
    NBLineTableView *table = popup->tableView();
    QPointer<NBHomeLineListView> guard(popup);
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, QPoint(120, table->rowTop(row) + 25 - table->verticalScrollBar()->value()));
    EXPECT_EQ(home.changes, 1);
    EXPECT_EQ(bar.nameText()->text(), popup->showList().at(row).name);
    ASSERT_TRUE(reconnected(1));
    EXPECT_EQ(connectedLineIds(), (QList<int>{101, 301}));
    EXPECT_TRUE(proxyPointsAtUs());
    EXPECT_TRUE(QTest::qWaitFor([&] { return guard.isNull(); }));

    // Global mode on the line just connected: stored, shown and connected again.
    m_view = RecordingView();
    popup = openPopup(home, lines);
    EXPECT_EQ(popup->selectLineMode()->id, 301);
    QTest::mouseClick(popup->switchLineView()->secondSideButton(), Qt::LeftButton);
    EXPECT_EQ(UserDefaults::standard().integerValue(DefaultsKeys::kProxyMode), 1);
    EXPECT_EQ(bar.vpnModeView()->nameText()->text(), QStringLiteral("全局模式"));
    ASSERT_TRUE(reconnected(2));
    EXPECT_EQ(connectedLineIds(), (QList<int>{101, 301, 301}));
    // The global connection routes by the global list.
    QFile conf(AppPaths::privateFolder() + QStringLiteral("/sslocal.conf"));
    ASSERT_TRUE(conf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(conf.readAll().contains("global.acl"));
    EXPECT_EQ(enginePids().size(), 3);
}

TEST_F(LinePopupRoadTest, ChoosingALineWhileDisconnectedConnectsNothing)
{
    const QList<OOHomeNodeModel> lines = fetchLines();
    m_controller->setShowList(lines);
    NBSelectLineView bar(&m_window);
    HomeStandIn home(*m_controller, bar);
    NBHomeLineListView *popup = openPopup(home, lines);
    ASSERT_TRUE(popup->selectRow(4));
    EXPECT_EQ(home.changes, 1);
    m_clock.advance(1000);
    QCoreApplication::processEvents();
    EXPECT_TRUE(connectedLineIds().isEmpty());
    EXPECT_EQ(m_controller->cachedLine()->id, lines.at(4).id);
}

} // namespace
