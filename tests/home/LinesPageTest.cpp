// The line page (groups, latency order, header) and the home screen's stepping line table.

#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include "LineTestSupport.h"
#include "uikit/UiTiming.h"
#include "common/DefaultsKeys.h"
#include "common/UserDefaults.h"
#include "home/unreached/NBHomeLineScrollView.h"
#include "home/unreached/NBLineGroupCell.h"
#include "home/unreached/NBLinesCell.h"
#include "home/unreached/NBLinesHeaderView.h"
#include "home/unreached/NBLinesListModel.h"
#include "home/unreached/NBLinesViewController.h"

namespace {

OOHomeNodeModel pinged(int id, const QString &name, int ping)
{
    OOHomeNodeModel line = makeLine(id, name);
    line.ping = ping;
    return line;
}

OOHomeNodeModel groupOfThree(int id, int ping)
{
    OOHomeNodeModel group = pinged(id, QStringLiteral("香港"), ping);
    group.isGroup = true;
    group.childLineNum = 3;
    for (int i = 1; i <= 3; ++i)
        group.childLines << pinged(id + i, QStringLiteral("香港 0%1").arg(i), 30 + i);
    return group;
}

QList<int> ids(const QList<OOHomeNodeModel> &rows)
{
    QList<int> result;
    for (const OOHomeNodeModel &row : rows)
        result << row.id.value_or(-1);
    return result;
}

class LinesPageTest : public ::testing::Test
{
protected:
    void SetUp() override { UserDefaults::standard().removePersistentDomain(); }
};

TEST_F(LinesPageTest, NamesAreListedByTheirSecondPart)
{
    EXPECT_EQ(NBLinesListModel::listedName(QStringLiteral("a_b_c")), QStringLiteral("b"));
    EXPECT_EQ(NBLinesListModel::listedName(QStringLiteral("abc")), QStringLiteral("abc"));
    EXPECT_EQ(NBLinesListModel::listedName(QStringLiteral("_abc")), QStringLiteral("abc"));
    EXPECT_EQ(NBLinesListModel::listedName(QStringLiteral("__")), QString());
    const auto lines = NBLinesListModel::handleNodeList(
        QStringLiteral(R"({"page_datas": [{"id": 1, "name": "JP_东京 01"}, {"id": 2, "name": "Seoul"}]})"));
    ASSERT_TRUE(lines.has_value());
    EXPECT_EQ(lines->at(0).name, QStringLiteral("东京 01"));
    EXPECT_EQ(lines->at(1).name, QStringLiteral("Seoul"));
    EXPECT_FALSE(NBLinesListModel::handleNodeList(QStringLiteral("[]")).has_value());
    EXPECT_FALSE(NBLinesListModel::handleNodeList(QStringLiteral(R"({"page_datas": {}})")).has_value());
    EXPECT_TRUE(NBLinesListModel::handleNodeList(QStringLiteral(R"({"page_datas": []})"))->isEmpty());
}

TEST_F(LinesPageTest, LatencyOrderOnlyWhenChosenAndTheHeaderKeepsMeasuredLatencies)
{
    const QList<OOHomeNodeModel> lines = {pinged(1, QStringLiteral("a"), 20), pinged(2, QStringLiteral("b"), 150),
                                          pinged(3, QStringLiteral("c"), 99), pinged(4, QStringLiteral("d"), 20)};
    NBLinesListModel serverOrder;
    serverOrder.setLines(lines);
    EXPECT_EQ(ids(serverOrder.showList), (QList<int>{1, 2, 3, 4}));

    UserDefaults::standard().setInteger(DefaultsKeys::kLineOrderType, 1);
    NBLinesListModel latency;
    latency.setLines(lines);
    EXPECT_EQ(ids(latency.showList), (QList<int>{1, 4, 3, 2}));
    // A header press orders again but shows what was measured, never made-up values.
    latency.switchListType(false);
    EXPECT_EQ(latency.selectItemType, OOHomeItemListType::smart);
    QList<int> pings;
    for (const OOHomeNodeModel &line : latency.showList)
        pings << line.ping;
    EXPECT_EQ(pings, (QList<int>{20, 20, 99, 150}));

    UserDefaults::standard().setString(DefaultsKeys::kLineOrderType, QStringLiteral("1"));
    EXPECT_FALSE(NBLinesListModel::isLatencyOrder());
}

TEST_F(LinesPageTest, GroupsOpenAndCloseTheirOwnChildrenAndMoveAsOneEntry)
{
    NBLinesListModel model;
    model.setLines({pinged(1, QStringLiteral("a"), 80), groupOfThree(10, 60), pinged(2, QStringLiteral("b"), 70)});
    EXPECT_FALSE(model.selectRow(1).has_value());
    EXPECT_EQ(ids(model.showList), (QList<int>{1, 10, 11, 12, 13, 2}));
    EXPECT_EQ(model.showList.at(3).childIndex, 1);
    // Sorted by latency with the group open: the group keeps its children under it.
    UserDefaults::standard().setInteger(DefaultsKeys::kLineOrderType, 1);
    model.switchListType(true);
    EXPECT_EQ(ids(model.showList), (QList<int>{10, 11, 12, 13, 2, 1}));
    EXPECT_FALSE(model.selectRow(0).has_value());
    EXPECT_EQ(ids(model.showList), (QList<int>{10, 2, 1}));
    // A line row is chosen and returned; only one row is checked.
    const auto chosen = model.selectRow(1);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(chosen->id, 2);
    model.selectRow(2);
    EXPECT_FALSE(model.showList.at(1).isClickState);
    EXPECT_TRUE(model.showList.at(2).isClickState);
}

TEST_F(LinesPageTest, StoredLineIsMarkedAndAnEmptyListKeepsIt)
{
    UserDefaults::standard().setString(DefaultsKeys::kProxyLineInfo, makeLine(2, QStringLiteral("b")).toJsonText());
    NBLinesListModel empty;
    empty.setLines({});
    EXPECT_TRUE(UserDefaults::standard().contains(DefaultsKeys::kProxyLineInfo));
    NBLinesListModel model;
    model.setLines({pinged(1, QStringLiteral("x_a"), 1), pinged(2, QStringLiteral("y_b"), 2)});
    EXPECT_TRUE(model.showList.at(1).isMark);
    EXPECT_FALSE(model.showList.at(0).isMark);
    EXPECT_EQ(model.headerItems(), (QStringList{QStringLiteral("x"), QStringLiteral("y")}));
}

TEST_F(LinesPageTest, PageChoosesALineOnceAndAGroupRowOnlyOpens)
{
    UiTimingScope scope(0.01);
    NBLinesViewController page;
    page.ensureLoaded();
    QList<OOSelectLineType> chosen;
    page.didSelectBlock = [&](const OOSelectLineType &type) { chosen << type; };
    page.setLines({pinged(1, QStringLiteral("JP_东京"), 48), groupOfThree(10, 36)});
    ASSERT_NE(qobject_cast<NBLineGroupCell *>(page.rowAt(1)), nullptr);
    EXPECT_TRUE(page.selectRow(1));
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.model().showList.size() == 5; }));
    EXPECT_TRUE(chosen.isEmpty());
    EXPECT_TRUE(page.selectRow(0));
    ASSERT_TRUE(QTest::qWaitFor([&] { return chosen.size() == 1; }));
    EXPECT_EQ(chosen.first().kind, OOSelectLineType::Kind::custom);
    EXPECT_EQ(chosen.first().line->id, 1);
    auto *cell = qobject_cast<NBLinesCell *>(page.rowAt(0));
    ASSERT_NE(cell, nullptr);
    EXPECT_TRUE(cell->onOrOffButton()->isChecked());
    EXPECT_EQ(cell->timeText()->text(), QStringLiteral("48ms"));
}

TEST_F(LinesPageTest, HeaderButtonsAreReusedWithNewTitlesAndHandleAPressOnce)
{
    NBLinesHeaderView header;
    header.setItems({QStringLiteral("香港"), QStringLiteral("日本")});
    header.setItems({QStringLiteral("美国")});
    header.setItems({QStringLiteral("美国"), QStringLiteral("新加坡")});
    ASSERT_EQ(header.btns.size(), 2);
    EXPECT_EQ(header.btns.at(0)->text(), QStringLiteral("美国"));
    EXPECT_EQ(header.btns.at(1)->text(), QStringLiteral("新加坡"));
    header.btns.at(0)->click();
    EXPECT_EQ(header.handledClicks(), 1);
    header.setItems({QStringLiteral("美国")});
    EXPECT_TRUE(header.btns.at(1)->isHidden());
}

TEST(HomeLineScrollTest, WheelStepsStopAtTheEndsAndReportTheSelectedRow)
{
    // 10 rows of 55 in a 385-high view: steps up stop after index 3.
    double index = 0;
    QList<double> steps;
    for (int i = 0; i < 5; ++i) {
        index = NBHomeLineScrollView::nextIndex(index, 1, 550, 385);
        steps << index;
    }
    EXPECT_EQ(steps, (QList<double>{1, 2, 3, 3, 3}));
    EXPECT_EQ(NBHomeLineScrollView::nextIndex(0, -1, 550, 385), 0);
    EXPECT_EQ(NBHomeLineScrollView::placeOf(9, 0), NBHomeLineScrollType::none());
    EXPECT_EQ(NBHomeLineScrollView::placeOf(9, 2), NBHomeLineScrollType::none());
    EXPECT_EQ(NBHomeLineScrollView::placeOf(9, 3), NBHomeLineScrollType::line(6));

    QList<OOHomeNodeModel> lines;
    for (int i = 0; i < 10; ++i)
        lines << makeLine(i + 1, QStringLiteral("line %1").arg(i));
    NBHomeLineScrollView view;
    view.resize(320, 385);
    view.show();
    QCoreApplication::processEvents();
    ASSERT_EQ(view.viewport()->height(), 385);
    view.setLines(&lines);
    view.selectIndex = 9;
    QList<NBHomeLineScrollType> places;
    view.changeBlock = [&](NBHomeLineScrollType place) { places << place; };
    view.scrollStep(-1); // at the top: no scroll, still a report
    EXPECT_EQ(view.index, 0);
    for (int i = 0; i < 3; ++i)
        view.scrollStep(1);
    EXPECT_EQ(view.index, 3);
    EXPECT_EQ(view.verticalScrollBar()->value(), 165);
    EXPECT_EQ(places, (QList<NBHomeLineScrollType>{NBHomeLineScrollType::none(), NBHomeLineScrollType::none(),
                                                    NBHomeLineScrollType::none(), NBHomeLineScrollType::line(6)}));
    EXPECT_EQ(view.rowHeight(0), 55);

    // A wheel turn that moves no row (sideways) scrolls nothing and still reports.
    places.clear();
    QWheelEvent sideways(QPointF(100, 100), view.viewport()->mapToGlobal(QPointF(100, 100)), QPoint(), QPoint(120, 0),
                         Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(view.viewport(), &sideways);
    EXPECT_EQ(view.index, 3);
    EXPECT_EQ(places, (QList<NBHomeLineScrollType>{NBHomeLineScrollType::line(6)}));
}

TEST_F(LinesPageTest, TheHeaderStaysWhileTheRowsScrollAndAMarkWithRoomShowsWhole)
{
    NBLinesViewController page;
    page.ensureLoaded();
    QList<OOHomeNodeModel> lines;
    for (int i = 0; i < 30; ++i)
        lines << pinged(100 + i, QStringLiteral("JP_东京 %1").arg(i), 40);
    lines[0].lineMark = QStringLiteral("ChatGPT 推荐线路");
    page.setLines(lines);
    page.show();
    ASSERT_TRUE(page.headerShown());
    // The back button, the header's buttons and the rows' check marks take all of their area.
    EXPECT_EQ(controlsCoveredByOthers(&page).join(QStringLiteral("; ")).toStdString(), "");
    QScrollBar *bar = page.scrollView()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    const QPoint onHeader(160, 74 + NBLinesHeaderView::kHeight / 2);
    for (int value : {0, bar->maximum() / 2, bar->maximum()}) {
        bar->setValue(value);
        QWidget *hit = page.childAt(onHeader);
        EXPECT_TRUE(hit == page.headerView() || page.headerView()->isAncestorOf(hit)) << value;
        EXPECT_GE(page.scrollView()->geometry().top(), 74 + NBLinesHeaderView::kHeight);
    }

    auto *marked = qobject_cast<NBLinesCell *>(page.rowAt(0));
    ASSERT_NE(marked, nullptr);
    QLabel *mark = marked->markText();
    ASSERT_TRUE(mark->isVisibleTo(marked));
    EXPECT_EQ(mark->text(), QStringLiteral("ChatGPT 推荐线路"));
    EXPECT_GE(mark->width(), mark->sizeHint().width());
    EXPECT_LE(mark->geometry().right(), marked->timeText()->geometry().left());
}

} // namespace
