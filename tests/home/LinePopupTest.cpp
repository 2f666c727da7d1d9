// The line popup and its cells: which row is chosen, what a row or mode press stores and reports,
// and how rows look. Offscreen, with a recording delegate.

#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include "uikit/NBBaseView.h"
#include "LineTestSupport.h"
#include "uikit/NBDisableButton.h"
#include "uikit/NBMaskControl.h"
#include "common/DefaultsKeys.h"
#include "common/MKUserInfoManager.h"
#include "common/UserDefaults.h"
#include "home/AssetImageView.h"
#include "home/LineCellLook.h"
#include "home/NBHomeLineListModel.h"
#include "home/NBHomeLineListView.h"
#include "home/NBHomeLineListViewDelegate.h"
#include "home/NBLineSwitchView.h"
#include "home/NBLineTableView.h"
#include "home/NBNewLineBestLocationCell.h"
#include "home/NBNewLineCell.h"
#include "home/NBTipsShowView.h"
#include "home/changeModeView.h"

namespace {

class RecordingDelegate : public NBHomeLineListViewDelegate
{
public:
    void lineDidChange(const OOHomeNodeModel &line) override { lines << line; }
    QList<OOHomeNodeModel> lines;
};

QList<OOHomeNodeModel> threeLines()
{
    return {makeLine(101, QStringLiteral("东京 01"), 0, QStringLiteral("/static/flags/jp.png")),
            makeLine(301, QStringLiteral("上海 01"), 0, QStringLiteral("https://cdn.example/cn.png")),
            makeLine(401, QStringLiteral("新加坡 01"), 0)};
}

std::optional<OOHomeNodeModel> storedLine()
{
    const std::optional<QString> text = UserDefaults::standard().stringValue(DefaultsKeys::kProxyLineInfo);
    return text ? OOHomeNodeModel::fromJsonText(*text) : std::nullopt;
}

// The colour a label's text is drawn in where it stands: the pixel of its area that changes most
// when the label is left out of the picture.
QColor drawnTextColour(QLabel *label)
{
    QWidget *top = label->window();
    const QRect area(label->mapTo(top, QPoint(0, 0)), label->size());
    const QImage with = top->grab(area).toImage();
    label->hide();
    const QImage without = top->grab(area).toImage();
    label->show();
    int most = -1;
    QColor colour;
    for (int y = 0; y < with.height(); ++y) {
        for (int x = 0; x < with.width(); ++x) {
            const QColor a = with.pixelColor(x, y);
            const QColor b = without.pixelColor(x, y);
            const int change = qAbs(a.red() - b.red()) + qAbs(a.green() - b.green()) + qAbs(a.blue() - b.blue());
            if (change > most) {
                most = change;
                colour = a;
            }
        }
    }
    return colour;
}

bool near(const QColor &drawn, const QColor &meant)
{
    return qAbs(drawn.red() - meant.red()) <= 40 && qAbs(drawn.green() - meant.green()) <= 40
           && qAbs(drawn.blue() - meant.blue()) <= 40;
}

// Nearer the meant colour than the other: the tolerance of near() alone would let a colour pass
// for a neighbour it is 40 units from.
bool nearerThan(const QColor &drawn, const QColor &meant, const QColor &other)
{
    auto distance = [&drawn](const QColor &to) {
        return qAbs(drawn.red() - to.red()) + qAbs(drawn.green() - to.green()) + qAbs(drawn.blue() - to.blue());
    };
    return distance(meant) < distance(other);
}

std::string describe(const QColor &colour)
{
    return QStringLiteral("(%1, %2, %3)").arg(colour.red()).arg(colour.green()).arg(colour.blue()).toStdString();
}

int checkedRows(const QList<OOHomeNodeModel> &rows)
{
    return int(std::count_if(rows.begin(), rows.end(), [](const auto &line) { return line.isClickState; }));
}

class LinePopupTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        UserDefaults::standard().removePersistentDomain();
        UserDefaults::standard().setInteger(DefaultsKeys::kProxyMode, 0);
        ASSERT_TRUE(MKUserInfoManager::shared().clearUser());
    }

    NBHomeLineListView *openPopup(const QList<OOHomeNodeModel> &lines)
    {
        auto made = std::make_unique<NBHomeLineListView>();
        made->setDelegate(&m_delegate);
        made->setShowList(lines);
        made->reloadLines();
        NBHomeLineListView *popup = NBBaseView::show(std::move(made));
        EXPECT_TRUE(popup);
        m_popup = popup;
        return popup;
    }

    HostWindow m_host;
    RecordingDelegate m_delegate;
    QPointer<NBHomeLineListView> m_popup;
};

TEST_F(LinePopupTest, OpeningMarksTheStoredLineOrTheFirstRowAndStoresNothing)
{
    NBHomeLineListView *popup = openPopup(threeLines());
    EXPECT_EQ(popup->geometry(), m_host.widget()->rect());
    EXPECT_TRUE(popup->showList().at(0).isClickState);
    EXPECT_EQ(checkedRows(popup->showList()), 1);
    EXPECT_FALSE(UserDefaults::standard().contains(DefaultsKeys::kProxyLineInfo));
    EXPECT_FALSE(UserDefaults::standard().contains(DefaultsKeys::kProxyLineInfo));
    EXPECT_EQ(UserDefaults::standard().integerValue(DefaultsKeys::kProxyMode), 0);
    EXPECT_EQ(popup->switchLineView()->selectedButton(), popup->switchLineView()->firstSideButton());
    popup->tapcloseAction();

    UserDefaults::standard().setString(DefaultsKeys::kProxyLineInfo, makeLine(401, QStringLiteral("x")).toJsonText());
    popup = openPopup(threeLines());
    EXPECT_TRUE(popup->showList().at(2).isClickState);
    ASSERT_NE(popup->selectLineMode(), nullptr);
    EXPECT_EQ(popup->selectLineMode()->id, 401);
}

TEST_F(LinePopupTest, OnlyTheStoredLineIsCheckedWhateverMarksTheRowsBrought)
{
    QList<OOHomeNodeModel> lines = threeLines();
    lines[0].isClickState = true; // a mark from an earlier opening
    lines[2].isClickState = true;
    UserDefaults::standard().setString(DefaultsKeys::kProxyLineInfo, lines.at(1).toJsonText());
    NBHomeLineListView *popup = openPopup(lines);
    EXPECT_EQ(checkedRows(popup->showList()), 1);
    EXPECT_TRUE(popup->showList().at(1).isClickState);
    // The cells agree.
    EXPECT_EQ(popup->tableView()->cellForRow(0)->contentView()->assetName(), QStringLiteral("lineoff"));
    EXPECT_EQ(popup->tableView()->cellForRow(1)->contentView()->assetName(), QStringLiteral("lineon"));
}

TEST_F(LinePopupTest, AnEmptyListKeepsTheStoredLine)
{
    const QString stored = makeLine(999, QStringLiteral("大阪 01")).toJsonText();
    UserDefaults::standard().setString(DefaultsKeys::kProxyLineInfo, stored);
    NBHomeLineListView *popup = openPopup({});
    EXPECT_EQ(popup->tableView()->rowCount(), 0);
    EXPECT_EQ(UserDefaults::standard().stringValue(DefaultsKeys::kProxyLineInfo), stored);
    popup->tapcloseAction();

    // A list without the stored line forgets it, as before.
    openPopup(threeLines());
    EXPECT_FALSE(UserDefaults::standard().contains(DefaultsKeys::kProxyLineInfo));
}

TEST_F(LinePopupTest, ClickingARowStoresItWithTheModeReportsItOnceAndCloses)
{
    UserDefaults::standard().setInteger(DefaultsKeys::kProxyMode, 1);
    EventRecorder recorder;
    NBHomeLineListView *popup = openPopup(threeLines());
    QCoreApplication::processEvents();
    NBLineTableView *table = popup->tableView();
    const int y = table->rowTop(1) + 20;
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, QPoint(100, y));
    ASSERT_EQ(m_delegate.lines.size(), 1);
    EXPECT_EQ(m_delegate.lines.first().id, 301);
    EXPECT_TRUE(m_delegate.lines.first().isGlobel);
    ASSERT_TRUE(storedLine().has_value());
    EXPECT_EQ(storedLine()->id, 301);
    EXPECT_TRUE(storedLine()->isGlobel);
    EXPECT_TRUE(recorder.events.contains(QStringLiteral("homePage_selectMode_click")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_popup.isNull(); }));

    // Smart mode stores the row as smart.
    UserDefaults::standard().setInteger(DefaultsKeys::kProxyMode, 0);
    popup = openPopup(threeLines());
    EXPECT_TRUE(popup->selectRow(2));
    EXPECT_FALSE(storedLine()->isGlobel);
}

TEST_F(LinePopupTest, TheChosenRowAndADragChooseNothing)
{
    NBHomeLineListView *popup = openPopup(threeLines());
    QCoreApplication::processEvents();
    NBLineTableView *table = popup->tableView();
    // Row 0 is the chosen one already.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, QPoint(100, 30));
    EXPECT_TRUE(m_delegate.lines.isEmpty());
    EXPECT_TRUE(popup->isVisible());
    // Press on row 1, drag, release on row 1.
    const int y = table->rowTop(1) + 20;
    QTest::mousePress(table->viewport(), Qt::LeftButton, {}, QPoint(100, y));
    QMouseEvent move(QEvent::MouseMove, QPointF(140, y + 10), table->viewport()->mapToGlobal(QPointF(140, y + 10)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(table->viewport(), &move);
    QTest::mouseRelease(table->viewport(), Qt::LeftButton, {}, QPoint(100, y));
    EXPECT_TRUE(m_delegate.lines.isEmpty());
    EXPECT_FALSE(UserDefaults::standard().contains(DefaultsKeys::kProxyLineInfo));
    // Keys choose nothing either.
    QTest::keyClick(table, Qt::Key_Down);
    EXPECT_TRUE(m_delegate.lines.isEmpty());
}

TEST_F(LinePopupTest, PressingAModeStoresTheModeAndTheLineAndReportsIt)
{
    NBHomeLineListView *popup = openPopup(threeLines());
    QTest::mouseClick(popup->switchLineView()->secondSideButton(), Qt::LeftButton);
    EXPECT_EQ(UserDefaults::standard().integerValue(DefaultsKeys::kProxyMode), 1);
    ASSERT_EQ(m_delegate.lines.size(), 1);
    EXPECT_EQ(m_delegate.lines.first().id, 101);
    EXPECT_TRUE(m_delegate.lines.first().isGlobel);
    EXPECT_EQ(storedLine()->id, 101);
    EXPECT_TRUE(storedLine()->isGlobel);
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_popup.isNull(); }));

    // The mode already selected counts as a press too.
    popup = openPopup(threeLines());
    EXPECT_EQ(popup->switchLineView()->selectedButton(), popup->switchLineView()->secondSideButton());
    // Only the selected mode looks selected.
    EXPECT_TRUE(popup->switchLineView()->firstSideButton()->styleSheet().contains(QStringLiteral("transparent")));
    EXPECT_FALSE(popup->switchLineView()->secondSideButton()->styleSheet().contains(QStringLiteral("transparent")));
    QTest::mouseClick(popup->switchLineView()->secondSideButton(), Qt::LeftButton);
    EXPECT_EQ(m_delegate.lines.size(), 2);
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_popup.isNull(); }));

    // Back to smart: stored and reported once per press.
    popup = openPopup(threeLines());
    QTest::mouseClick(popup->switchLineView()->firstSideButton(), Qt::LeftButton);
    EXPECT_EQ(m_delegate.lines.size(), 3);
    EXPECT_FALSE(m_delegate.lines.last().isGlobel);
    EXPECT_EQ(UserDefaults::standard().integerValue(DefaultsKeys::kProxyMode), 0);
}

TEST_F(LinePopupTest, ModePressWithoutAnyLineStoresOnlyTheModeAndStaysOpen)
{
    NBHomeLineListView *popup = openPopup({});
    QTest::mouseClick(popup->switchLineView()->secondSideButton(), Qt::LeftButton);
    EXPECT_EQ(UserDefaults::standard().integerValue(DefaultsKeys::kProxyMode), 1);
    EXPECT_TRUE(m_delegate.lines.isEmpty());
    EXPECT_FALSE(UserDefaults::standard().contains(DefaultsKeys::kProxyLineInfo));
    EXPECT_TRUE(popup->isVisible());
    EXPECT_TRUE(popup->changeMode());
}

TEST_F(LinePopupTest, RelativeFlagAddressesGoUnderTheApiHost)
{
    NBHomeLineListModel model;
    model.showList = threeLines();
    model.reloadLines(QStringLiteral("http://127.0.0.1:8080/"));
    EXPECT_EQ(model.showList.at(0).abbrUrl, QStringLiteral("http://127.0.0.1:8080/static/flags/jp.png"));
    EXPECT_EQ(model.showList.at(1).abbrUrl, QStringLiteral("https://cdn.example/cn.png"));
    EXPECT_FALSE(model.showList.at(2).abbrUrl.has_value());
    model.reloadLines(QStringLiteral("http://other"));
    EXPECT_EQ(model.showList.at(0).abbrUrl, QStringLiteral("http://127.0.0.1:8080/static/flags/jp.png"));
    EXPECT_EQ(NBHomeLineListModel::joinAddress(QStringLiteral("http://h"), QStringLiteral("f.png")),
              QStringLiteral("http://h/f.png"));
    EXPECT_EQ(NBHomeLineListModel::joinAddress(QStringLiteral("http://h//"), QStringLiteral("//a/f.png")),
              QStringLiteral("http://h/a/f.png"));
    EXPECT_TRUE(NBHomeLineListModel::isAbsoluteAddress(QStringLiteral("https://cdn.example/a.png")));
    EXPECT_TRUE(NBHomeLineListModel::isAbsoluteAddress(QStringLiteral("x://")));
    EXPECT_FALSE(NBHomeLineListModel::isAbsoluteAddress(QStringLiteral("://h/a.png")));
    EXPECT_FALSE(NBHomeLineListModel::isAbsoluteAddress(QStringLiteral("/static/a.png?u=http://h")));
    EXPECT_FALSE(NBHomeLineListModel::isAbsoluteAddress(QStringLiteral("h2://h/a b.png")));
    EXPECT_FALSE(NBHomeLineListModel::isAbsoluteAddress(QStringLiteral("https://h/a.png\n")));
}

TEST_F(LinePopupTest, WithoutAStoredLineARowWithIdZeroIsNotTakenForIt)
{
    // No stored line and a first row without an id: nothing is chosen, not the row whose id is 0.
    NBHomeLineListModel model;
    OOHomeNodeModel noId;
    noId.name = QStringLiteral("A");
    OOHomeNodeModel zero;
    zero.id = 0;
    zero.name = QStringLiteral("B");
    model.showList = {noId, zero};
    model.reloadLines(QStringLiteral("http://h"));
    EXPECT_FALSE(model.selectIndex().has_value());
    EXPECT_FALSE(model.showList.at(1).isClickState);
}

TEST_F(LinePopupTest, ExplanationTogglesAndTheDarkAreaDoesNotClose)
{
    NBHomeLineListView *popup = openPopup(threeLines());
    EXPECT_FALSE(popup->showMark());
    QTest::mouseClick(popup->tipsShowView()->maskView(), Qt::LeftButton);
    EXPECT_TRUE(popup->showMark());
    EXPECT_TRUE(popup->changeView()->isVisible());
    QTest::mouseClick(popup->tipsShowView()->maskView(), Qt::LeftButton);
    EXPECT_FALSE(popup->changeView()->isVisible());
    QTest::mouseClick(popup->control(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(popup->isVisible());
    QTest::mouseClick(popup->closeView(), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_popup.isNull(); }));
    EXPECT_TRUE(m_delegate.lines.isEmpty());
}

TEST_F(LinePopupTest, ThousandsOfRowsHaveCellsOnlyInView)
{
    QList<OOHomeNodeModel> lines;
    for (int i = 0; i < 2000; ++i)
        lines << makeLine(1000 + i, QStringLiteral("Line %1").arg(i), i % 2);
    NBHomeLineListView *popup = openPopup(lines);
    QCoreApplication::processEvents();
    NBLineTableView *table = popup->tableView();
    EXPECT_EQ(table->rowCount(), 2000);
    EXPECT_LE(table->visibleRows().size(), 8);
    EXPECT_NE(qobject_cast<NBNewLineBestLocationCell *>(table->cellForRow(0)), nullptr);
    table->verticalScrollBar()->setValue(table->verticalScrollBar()->maximum());
    const QList<int> rows = table->visibleRows();
    ASSERT_FALSE(rows.isEmpty());
    EXPECT_EQ(rows.last(), 1999);
    EXPECT_EQ(table->cellForRow(1999)->currentModel.id, 2999);
    EXPECT_EQ(table->cellForRow(1999)->nameText()->text(), QStringLiteral("Line 1999"));
    EXPECT_EQ(qobject_cast<NBNewLineBestLocationCell *>(table->cellForRow(rows.first())), nullptr);
    EXPECT_LE(table->viewport()->findChildren<NBNewLineCell *>().size(), 10);
}

TEST(LineCellTest, BadgeOrCheckByKindAndUserLevel)
{
    struct Case
    {
        std::optional<int> kind;
        std::optional<int> level;
        bool badge;
    };
    const QList<Case> cases = {{1, 1, true}, {1, 2, false}, {std::nullopt, 1, true}, {std::nullopt, 2, false},
                               {0, 1, false}, {1, std::nullopt, true}, {0, std::nullopt, false}};
    for (const Case &c : cases) {
        NBNewLineCell cell;
        cell.configure(makeLine(1, QStringLiteral("a"), c.kind), c.level);
        EXPECT_EQ(cell.svipImgView()->isVisibleTo(&cell), c.badge);
        EXPECT_EQ(cell.onOrOffButton()->isVisibleTo(&cell), !c.badge);
    }
}

TEST(LineCellTest, MarkTextFlagAndChosenState)
{
    NBNewLineCell cell;
    OOHomeNodeModel line = makeLine(1, QStringLiteral("a"), 0, QStringLiteral("not a url"));
    cell.configure(line, 2);
    EXPECT_FALSE(cell.markText()->isVisibleTo(&cell)); // no mark: "ChatGPT 推荐线路" never shows
    EXPECT_EQ(cell.iconView()->assetName(), QStringLiteral("flag"));
    line.lineMark = QStringLiteral("VIP");
    line.isClickState = true;
    line.isMark = true;
    cell.configure(line, 2);
    EXPECT_TRUE(cell.markText()->isVisibleTo(&cell));
    EXPECT_EQ(cell.markText()->text(), QStringLiteral("VIP"));
    EXPECT_EQ(cell.contentView()->assetName(), QStringLiteral("lineon"));
    EXPECT_TRUE(cell.onOrOffButton()->isChecked());
    EXPECT_EQ(cell.nameText()->foregroundRole(), QPalette::WindowText);
    EXPECT_EQ(cell.nameText()->palette().color(QPalette::WindowText), QColor(90, 177, 234));
    line.lineMark = QString();
    line.isClickState = false;
    cell.configure(line, 2);
    EXPECT_FALSE(cell.markText()->isVisibleTo(&cell));
    EXPECT_EQ(cell.contentView()->assetName(), QStringLiteral("lineoff"));
    EXPECT_FALSE(cell.onOrOffButton()->isChecked());
    NBNewLineCell::click(cell.onOrOffButton());
    EXPECT_TRUE(cell.onOrOffButton()->isChecked());
    // The check mark is drawn sharp at the screen's ratio, not scaled from a smaller picture.
    const QPixmap sharp = cell.onOrOffButton()->icon().pixmap(QSize(12, 12), 2.0);
    EXPECT_EQ(sharp.size(), QSize(24, 24));
    EXPECT_EQ(sharp.devicePixelRatio(), 2.0);
    EXPECT_NE(sharp.toImage().pixelColor(12, 12).alpha(), 0);
}

TEST_F(LinePopupTest, RowTextsAreDrawnInTheirOwnColoursInsideThePopup)
{
    QList<OOHomeNodeModel> lines = threeLines();
    lines[1].isMark = true;
    lines[2].lineMark = QStringLiteral("ChatGPT 推荐线路");
    NBHomeLineListView *popup = openPopup(lines);
    QCoreApplication::processEvents();
    NBLineTableView *table = popup->tableView();

    // A marked line's name in the member blue, the others white, the mark in its grey-blue.
    const QColor member = drawnTextColour(table->cellForRow(1)->nameText());
    EXPECT_TRUE(near(member, QColor(90, 177, 234))) << describe(member);
    const QColor other = drawnTextColour(table->cellForRow(0)->nameText());
    EXPECT_TRUE(near(other, QColor(Qt::white))) << describe(other);
    // White, not the cell's own starting colour, which near() could not tell from it.
    EXPECT_TRUE(nearerThan(other, QColor(Qt::white), QColor(223, 226, 253))) << describe(other);
    NBNewLineCell *marked = table->cellForRow(2);
    ASSERT_TRUE(marked->markText()->isVisible());
    const QColor mark = drawnTextColour(marked->markText());
    EXPECT_TRUE(near(mark, QColor(129, 131, 162))) << describe(mark);
    // The whole mark fits beside the name.
    EXPECT_EQ(marked->markText()->text(), QStringLiteral("ChatGPT 推荐线路"));
    EXPECT_GE(marked->markText()->width(), marked->markText()->sizeHint().width());
}

TEST_F(LinePopupTest, ReusedRowsShowOnlyTheirOwnLinesMark)
{
    // A service that sends a mark for some lines and leaves it out for the others.
    QList<OOHomeNodeModel> lines;
    for (int i = 0; i < 60; ++i) {
        OOHomeNodeModel line = makeLine(500 + i, QStringLiteral("Line %1").arg(i));
        if (i % 3 == 0)
            line.lineMark = QStringLiteral("Mark %1").arg(i);
        lines << line;
    }
    NBHomeLineListView *popup = openPopup(lines);
    QCoreApplication::processEvents();
    NBLineTableView *table = popup->tableView();
    QScrollBar *bar = table->verticalScrollBar();
    for (int step = 0; step <= 12; ++step) {
        bar->setValue(bar->maximum() * step / 12);
        for (int row : table->visibleRows()) {
            NBNewLineCell *cell = table->cellForRow(row);
            const bool hasMark = row % 3 == 0;
            ASSERT_EQ(cell->markText()->isVisibleTo(cell), hasMark) << "row " << row;
            if (hasMark) {
                ASSERT_EQ(cell->markText()->text(), QStringLiteral("Mark %1").arg(row));
            }
        }
    }
}

TEST(LineCellTest, TheNameComesFirstAndAMarkWithoutRoomEndsInAnEllipsis)
{
    OOHomeNodeModel line = makeLine(1, QStringLiteral("洛杉矶"), 0);
    line.lineMark = QStringLiteral("ChatGPT 推荐线路");
    NBNewLineCell wide;
    wide.resize(375, NBNewLineCell::kRowHeight);
    wide.configure(line, 2);
    EXPECT_EQ(wide.markText()->text(), *line.lineMark);
    EXPECT_GE(wide.markText()->width(), wide.markText()->sizeHint().width());

    // The home table's narrower rows: the whole name, and the mark's beginning.
    NBNewLineCell narrow;
    narrow.resize(300, NBNewLineCell::kRowHeight);
    narrow.configure(line, 2);
    EXPECT_EQ(narrow.nameText()->width(), narrow.nameText()->sizeHint().width());
    QLabel *mark = narrow.markText();
    EXPECT_TRUE(mark->text().startsWith(QStringLiteral("Chat"))) << mark->text().toStdString();
    EXPECT_TRUE(mark->text().endsWith(QChar(0x2026))) << mark->text().toStdString();
    EXPECT_GE(mark->width(), mark->sizeHint().width());
    EXPECT_GE(mark->x(), narrow.nameText()->geometry().right() + 21);
    EXPECT_LT(mark->geometry().right(), narrow.svipImgView()->geometry().left());
}

} // namespace
