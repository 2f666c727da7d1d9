// The feedback screens' rules that need no service: the type picker, the input row, the
// conversation's rows and reply bar, the picture grid, and where pictures are looked for.
#include <QImage>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QFile>
#include <QFontMetrics>
#include <QTemporaryDir>
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTextDocument>
#include <QAbstractTextDocumentLayout>

#include <cmath>
#include <memory>

#include <gtest/gtest.h>

#include "app/NBFullDiskAccessManager.h"
#include "uikit/ImageCache.h"
#include "uikit/NBCustomTextField.h"
#include "uikit/NBPlaceHolderView.h"
#include "uikit/RoundedPanel.h"
#include "uikit/ScreenFactory.h"
#include "common/Hashing.h"
#include "settings/feedback/FeedbackPicture.h"
#include "settings/feedback/FeedbackPicturePicker.h"
#include "settings/feedback/FeedbackText.h"
#include "settings/feedback/FeedbackTextLayout.h"
#include "settings/feedback/FeedbackTextView.h"
#include "settings/feedback/NBContactInputView.h"
#include "settings/unreached/NBContactPictureView.h"
#include "settings/feedback/NBContactTypeView.h"
#include "settings/feedback/NBContactViewController.h"
#include "settings/feedback/NBFeedbackDetailToolView.h"
#include "settings/feedback/NBFeedbackDetailViewController.h"
#include "settings/feedback/NBFeedbackFooter.h"
#include "settings/feedback/NBFeedbackGuestCell.h"
#include "settings/feedback/NBFeedbackInfoCell.h"
#include "settings/feedback/NBFeedbackItem.h"
#include "settings/feedback/NBFeedbackListViewController.h"
#include "settings/feedback/NBFeedbackServiceCell.h"
#include "settings/feedback/NBFeedbackTypeItem.h"
#include "settings/unreached/NBPictUreItem.h"
#include "uikit/NBClickImageView.h"

namespace {

NBFeedbackRecordModel record(const QJsonObject &json)
{
    return *NBFeedbackRecordModel::fromJson(json);
}

NBFeedbackDetailModel conversation(const QJsonObject &json)
{
    return *NBFeedbackDetailModel::fromJson(json);
}

int markedTiles(const NBContactTypeView &view)
{
    int marked = 0;
    for (NBFeedbackTypeItem *item : view.items())
        marked += item->isMarked() ? 1 : 0;
    return marked;
}

} // namespace

TEST(FeedbackTypePicker, StartsAtTheFirstTypeAndMovesTheOneMark)
{
    NBContactTypeView view;
    EXPECT_EQ(view.kind(), 10);
    ASSERT_EQ(view.items().size(), 4);
    EXPECT_TRUE(view.items().first()->isMarked());
    EXPECT_EQ(markedTiles(view), 1);

    // A tile is chosen as the button goes down.
    QTest::mousePress(view.items().at(3), Qt::LeftButton);
    EXPECT_EQ(view.kind(), 13);
    EXPECT_TRUE(view.items().at(3)->isMarked());
    EXPECT_EQ(markedTiles(view), 1);
    QTest::mouseRelease(view.items().at(3), Qt::LeftButton);
    QTest::mouseClick(view.items().at(3), Qt::LeftButton);
    EXPECT_EQ(view.kind(), 13);
    EXPECT_EQ(markedTiles(view), 1);

    view.selectItem(std::nullopt);
    view.selectItem(7);
    EXPECT_EQ(view.kind(), 13);
    view.reset();
    EXPECT_EQ(view.kind(), 10);
}

TEST(FeedbackInput, SubmitFollowsVisibleCharactersAlsoWhenCleared)
{
    NBContactInputView view;
    view.resize(366, 330);
    view.textView()->setPlainText(QStringLiteral("abcd"));
    EXPECT_FALSE(view.signUpButton()->isEnabled());
    view.textView()->setPlainText(QStringLiteral("abcde"));
    EXPECT_TRUE(view.signUpButton()->isEnabled());
    // Five emoji and a letter with a combining accent count as the user sees them.
    view.textView()->setPlainText(QStringLiteral("😀😀😀😀"));
    EXPECT_FALSE(view.signUpButton()->isEnabled());
    view.textView()->setPlainText(QStringLiteral("😀😀😀😀e\u0301"));
    EXPECT_TRUE(view.signUpButton()->isEnabled());
    EXPECT_EQ(FeedbackText::visibleLength(QStringLiteral("😀😀😀😀e\u0301")), 5);
    view.setUploading(true);
    EXPECT_FALSE(view.signUpButton()->isEnabled());
    view.setUploading(false);
    view.textView()->setPlainText(QString());
    EXPECT_FALSE(view.signUpButton()->isEnabled());
}

TEST(FeedbackInput, LinesAreFourPixelsApartHoweverTheTextArrives)
{
    NBContactInputView view;
    view.resize(366, 330);
    view.show();
    NBPlaceHolderView *box = view.textView();
    const auto secondLineTop = [](QTextEdit *edit) {
        QTextDocument *document = edit->document();
        return document->documentLayout()->blockBoundingRect(document->begin().next()).top();
    };
    const auto allSpaced = [](QTextEdit *edit) {
        for (QTextBlock block = edit->document()->begin(); block.isValid(); block = block.next()) {
            if (block.blockFormat().lineHeightType() != QTextBlockFormat::LineDistanceHeight || block.blockFormat().lineHeight() != 4)
                return false;
        }
        return true;
    };
    box->setPlainText(QStringLiteral("第一行\n第二行"));
    EXPECT_TRUE(allSpaced(box));
    QTextEdit plain;
    plain.setFont(box->font());
    plain.document()->setDocumentMargin(box->document()->documentMargin());
    plain.resize(box->size());
    plain.show();
    plain.setPlainText(QStringLiteral("第一行\n第二行"));
    EXPECT_NEAR(secondLineTop(box) - secondLineTop(&plain), 4, 1);

    // Typed lines, and text pasted as rich text, keep the spacing and carry no markup.
    box->clear();
    box->setFocus();
    QTest::keyClicks(box, QStringLiteral("abc"));
    QTest::keyClick(box, Qt::Key_Return);
    QTest::keyClicks(box, QStringLiteral("def"));
    EXPECT_TRUE(allSpaced(box));
    auto *data = new QMimeData;   // the clipboard takes it
    data->setHtml(QStringLiteral("<p><b>bold</b></p><p>next</p>"));
    data->setText(QStringLiteral("bold\nnext"));
    QApplication::clipboard()->setMimeData(data);
    box->paste();
    EXPECT_TRUE(box->toPlainText().endsWith(QStringLiteral("bold\nnext")));
    EXPECT_TRUE(allSpaced(box));
    EXPECT_FALSE(box->toHtml().contains(QStringLiteral("font-weight:700")));
}

TEST(FeedbackInput, DeleteReturnsToTheAddButton)
{
    NBContactInputView view;
    view.imageArray = {QImage(20, 20, QImage::Format_RGB32)};
    view.reloadImages();
    EXPECT_FALSE(view.showImageView()->isHidden());
    EXPECT_TRUE(view.imgBtn()->isHidden());
    view.deleteImageAction();
    EXPECT_TRUE(view.imageArray.isEmpty());
    EXPECT_TRUE(view.showImageView()->isHidden());
    EXPECT_TRUE(view.deleteBtn()->isHidden());
    EXPECT_FALSE(view.imgBtn()->isHidden());
}

TEST(FeedbackForm, TooShortTextSendsNothingAndKeepsTheInput)
{
    NBContactViewController form;
    form.ensureLoaded();
    form.inputView()->textView()->setPlainText(QStringLiteral("four"));
    form.submit();
    EXPECT_FALSE(form.isUploading());
    EXPECT_EQ(form.inputView()->textView()->toPlainText(), QStringLiteral("four"));
}

TEST(FeedbackForm, PictureChoiceNeedsAccessAndReplacesThePicture)
{
    NBContactViewController form;
    form.ensureLoaded();
    int asked = 0;
    QString path;
    FeedbackPicturePicker::setChooserForTesting([&](QWidget *, const FeedbackPicturePicker::Done &done) {
        ++asked;
        done(path);
    });
    NBFullDiskAccessManager::setStatusForTesting(NBFullDiskAccessManager::NoAccess);
    const int panes = NBFullDiskAccessManager::settingsPaneOpenCountForTesting();
    form.selectPhoto();
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(NBFullDiskAccessManager::settingsPaneOpenCountForTesting(), panes + 1);
    NBFullDiskAccessManager::setStatusForTesting(std::nullopt);

    QTemporaryDir folder;
    for (const QSize size : {QSize(30, 20), QSize(40, 50)}) {
        path = folder.filePath(QStringLiteral("p%1.png").arg(size.width()));
        QImage picture(size, QImage::Format_RGB32);
        picture.fill(Qt::red);
        ASSERT_TRUE(picture.save(path));
        form.selectPhoto();
    }
    ASSERT_EQ(form.inputView()->imageArray.size(), 1);
    EXPECT_EQ(form.inputView()->imageArray.first().size(), QSize(40, 50));
    // A file that is no picture changes nothing.
    path = folder.filePath(QStringLiteral("note.png"));
    QFile note(path);
    ASSERT_TRUE(note.open(QIODevice::WriteOnly));
    note.write("not a picture");
    note.close();
    form.selectPhoto();
    EXPECT_EQ(form.inputView()->imageArray.first().size(), QSize(40, 50));
    FeedbackPicturePicker::setChooserForTesting({});
}

TEST(FeedbackConversation, RowsHeightsAndClosingLines)
{
    NBFeedbackDetailViewController pane;
    const auto measure = [](const QString &text) { return FeedbackText::height(text, NBFeedbackDetailInfoModel::kTextWidth); };
    const NBFeedbackRecordModel pictureOnly = record({{"content", ""}, {"imageUrl", "/p.jpg?fid=1"}});
    const NBFeedbackRecordModel bare = record({});
    EXPECT_EQ(pictureOnly.rowHeight(measure), 161);
    EXPECT_EQ(bare.rowHeight(measure), 76);

    const QJsonObject vo{{"id", 5}, {"content", "网络很慢"}, {"image_url", QJsonArray{}}};
    pane.detailModel = conversation({{"feedbackVo", vo}, {"record", QJsonArray{QJsonObject{{"userType", 0}, {"content", "hi"}},
                                                                                QJsonObject{{"userType", 1}, {"content", "ok"}}}},
                                     {"state", 1}});
    ASSERT_EQ(pane.rowCount(), 4);
    QWidget parent;
    std::unique_ptr<QWidget> info(pane.rowView(0, &parent));
    std::unique_ptr<QWidget> guest(pane.rowView(1, &parent));
    std::unique_ptr<QWidget> service(pane.rowView(2, &parent));
    std::unique_ptr<QWidget> footer(pane.rowView(3, &parent));
    // The first row holds its two lines of text, + 14 + 62; the text has the room it measures.
    const int infoHeight = pane.rowHeight(info.get());
    const int text = qobject_cast<NBFeedbackInfoCell *>(info.get())->infoLab()->laidOutHeight();
    EXPECT_EQ(qobject_cast<NBFeedbackInfoCell *>(info.get())->infoLab()->lineCount(), 2);
    EXPECT_GE(text, std::ceil(measure(QStringLiteral("反馈内容：\n网络很慢"))));
    EXPECT_EQ(infoHeight, text + 76);
    EXPECT_EQ(pane.rowHeight(footer.get()), 50);
    EXPECT_NE(qobject_cast<NBFeedbackGuestCell *>(guest.get()), nullptr);
    EXPECT_NE(qobject_cast<NBFeedbackServiceCell *>(service.get()), nullptr);
    EXPECT_EQ(qobject_cast<NBFeedbackFooter *>(footer.get())->textField()->text(), QStringLiteral("—— 反馈已结束 ——"));
    EXPECT_EQ(NBFeedbackDetailViewController::footerText(2), QStringLiteral("—— 反馈已采纳 ——"));
    EXPECT_TRUE(NBFeedbackDetailViewController::footerText(0).isEmpty());

    QJsonObject withPicture = vo;
    withPicture.insert("image_url", QJsonArray{"/a.jpg?fid=2"});
    pane.detailModel = conversation({{"feedbackVo", withPicture}});
    EXPECT_EQ(pane.rowCount(), 1);
    std::unique_ptr<QWidget> pictured(pane.rowView(0, &parent));
    EXPECT_EQ(pane.rowHeight(pictured.get()), text + 164);
    pane.detailModel = conversation({});
    std::unique_ptr<QWidget> none(pane.rowView(0, &parent));
    EXPECT_EQ(pane.rowHeight(none.get()), 0);
    // A present key of the wrong kind is no conversation at all.
    EXPECT_FALSE(NBFeedbackDetailModel::fromJson({{"record", "none"}}));
}

TEST(FeedbackConversation, CellsShowOnlyWhatTheRecordHas)
{
    NBFeedbackServiceCell service;
    service.resize(366, 161);
    service.configure(record({{"userType", 1}, {"imageUrl", "http://127.0.0.1:9/x.jpg"}, {"createTime", "2024-01-01"}}));
    EXPECT_TRUE(service.infoLab()->isHidden());
    EXPECT_FALSE(service.feedbackImgView()->isHidden());
    EXPECT_EQ(service.timeLab()->text(), QStringLiteral("2024-01-01"));
    EXPECT_EQ(service.cornerView()->x(), 70);

    NBFeedbackGuestCell guest;
    guest.resize(366, 100);
    guest.configure(record({{"userType", 0}, {"content", "<b>hello</b>"}}));
    EXPECT_FALSE(guest.infoLab()->isHidden());
    EXPECT_TRUE(guest.feedbackImgView()->isHidden());
    EXPECT_EQ(guest.infoLab()->text(), QStringLiteral("<b>hello</b>"));
    EXPECT_EQ(guest.cornerView()->x(), 12);
    EXPECT_EQ(guest.iconImgView()->x(), 366 - 12 - 35);

    NBFeedbackInfoCell empty;
    empty.configure(std::nullopt);
    EXPECT_TRUE(empty.timeLab()->text().isEmpty());
    EXPECT_FALSE(empty.data().has_value());
}

TEST(FeedbackConversation, ReplyBarHasNobodyToReplyToWithoutAnId)
{
    NBFeedbackDetailViewController pane;
    pane.ensureLoaded();
    pane.model = NBFeedbackListModel::fromJson({{"id", 41}});
    pane.toolView()->feedbackId = QStringLiteral("41");
    pane.toolView()->show();
    // A feedback without an id after an open one: the bar must not keep sending to 41.
    pane.model = NBFeedbackListModel::fromJson({{"content", "no id"}});
    pane.showFeedback();
    EXPECT_FALSE(pane.toolView()->feedbackId.has_value());
    EXPECT_TRUE(pane.toolView()->isHidden());
    pane.toolView()->sendReply({}, QStringLiteral("hello there"));
    EXPECT_EQ(pane.toolView()->pendingReplies(), 0);

    // Without an id, Return keeps the text and sends nothing.
    pane.toolView()->textField()->setText(QStringLiteral("kept"));
    pane.toolView()->textFieldDidEndEditing();
    EXPECT_EQ(pane.toolView()->pendingReplies(), 0);
    EXPECT_EQ(pane.toolView()->textField()->text(), QStringLiteral("kept"));
}

TEST(FeedbackConversation, AReplyStartsAnEmptyConversationAndStaysWithItsFeedback)
{
    NBFeedbackDetailViewController pane;
    pane.ensureLoaded();
    pane.model = NBFeedbackListModel::fromJson({{"id", 5}});
    pane.detailModel = conversation({{"feedbackVo", QJsonObject{{"id", 5}, {"content", "x"}}}});
    ASSERT_EQ(pane.rowCount(), 1);
    const NBFeedbackRecordModel reply = record({{"userType", 0}, {"content", "more"}});
    pane.appendRecord(reply, 6);
    EXPECT_EQ(pane.rowCount(), 1);
    pane.appendRecord(reply, 5);
    EXPECT_EQ(pane.rowCount(), 2);
    EXPECT_EQ(pane.rowViews().size(), 2);
}

TEST(FeedbackList, RowTitlesAndDots)
{
    EXPECT_EQ(NBFeedbackItem::titleForKind(10), QStringLiteral("加速异常"));
    EXPECT_EQ(NBFeedbackItem::titleForKind(12), QStringLiteral("充值问题"));
    EXPECT_EQ(NBFeedbackItem::titleForKind(13), QStringLiteral("其他问题"));
    EXPECT_EQ(NBFeedbackItem::titleForKind(std::nullopt), QStringLiteral("其他问题"));
    NBFeedbackItem item;
    item.resize(362, 80);
    item.configure(*NBFeedbackListModel::fromJson({{"is_read", 1}, {"kind", 11}}));
    EXPECT_FALSE(item.redDot()->isHidden());
    item.configure(*NBFeedbackListModel::fromJson({{"is_read", 0}}));
    EXPECT_TRUE(item.redDot()->isHidden());

    // A description longer than two lines ends the second line in "…"; a short one stays whole.
    item.show();
    const QString longText = QString(40, QChar(0x8fde)) + QStringLiteral(" line after line of words that goes on and on");
    item.configure(*NBFeedbackListModel::fromJson({{"content", longText}}));
    const QString shown = item.descLab()->text();
    EXPECT_TRUE(shown.endsWith(QStringLiteral("…"))) << shown.toStdString();
    EXPECT_LE(shown.count(QLatin1Char('\n')), 1);
    const QFontMetrics metrics(item.descLab()->font());
    for (const QString &line : shown.split(QLatin1Char('\n')))
        EXPECT_LE(metrics.horizontalAdvance(line), item.descLab()->width());
    item.configure(*NBFeedbackListModel::fromJson({{"content", "连接不上"}}));
    EXPECT_EQ(item.descLab()->text(), QStringLiteral("连接不上"));
}

TEST(FeedbackText, TwoLinesAtMostWithTheEndCutByAnEllipsis)
{
    const QFont font = FeedbackText::bubbleFont();
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(QStringLiteral("abcdefghij"));
    EXPECT_EQ(FeedbackText::elidedLines(QStringLiteral("abc"), font, width, 2), QStringLiteral("abc"));
    // Two explicit lines fit; a third is cut.
    EXPECT_EQ(FeedbackText::elidedLines(QStringLiteral("ab\ncd"), font, width, 2), QStringLiteral("ab\ncd"));
    const QString cut = FeedbackText::elidedLines(QStringLiteral("ab\ncd\nef"), font, width, 2);
    EXPECT_EQ(cut.split(QLatin1Char('\n')).size(), 2);
    EXPECT_TRUE(cut.startsWith(QStringLiteral("ab\n")));
    EXPECT_TRUE(cut.endsWith(QStringLiteral("…")));
    const QString wrapped = FeedbackText::elidedLines(QString(60, QLatin1Char('x')), font, width, 2);
    ASSERT_EQ(wrapped.split(QLatin1Char('\n')).size(), 2);
    EXPECT_TRUE(wrapped.endsWith(QStringLiteral("…")));
    EXPECT_LE(metrics.horizontalAdvance(wrapped.split(QLatin1Char('\n')).last()), width);
}

// Laid out a window at a time, a text breaks into the lines one layout of each of its paragraphs
// gives, and no step takes more than its share.
TEST(FeedbackText, PiecewiseLayoutGivesTheLinesOfAWholeLayoutInBoundedSteps)
{
    const QFont font = FeedbackText::bubbleFont();
    const int width = NBFeedbackDetailInfoModel::kTextWidth;
    const auto wholeLines = [&](const QString &text) {
        QList<QPair<int, int>> lines;
        int start = 0;
        for (const QString &paragraph : text.split(QLatin1Char('\n'))) {
            QTextLayout layout(paragraph, font);
            QTextOption option;
            option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
            layout.setTextOption(option);
            layout.beginLayout();
            int made = 0;
            for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine(), ++made) {
                line.setLineWidth(width);
                lines.append({start + line.textStart(), line.textLength()});
            }
            layout.endLayout();
            if (made == 0)
                lines.append({start, 0});
            start += int(paragraph.size()) + 1;
        }
        return lines;
    };
    QString words;
    while (words.size() < 3 * FeedbackTextLayout::kWindow)
        words += QStringLiteral("reconnect fails again 重连失败，");
    const QStringList texts{
        QStringLiteral("短"),
        words,
        QString(3 * FeedbackTextLayout::kWindow + 17, QLatin1Char('m')), // one word wider than many lines
        QStringLiteral("第一行\n\n") + words + QStringLiteral("\n") + words.left(900) + QStringLiteral("\n末行"),
    };
    for (const QString &text : texts) {
        FeedbackTextLayout layout(text, font, width);
        int steps = 0;
        int placed = 0;
        while (!layout.layOutSome(500)) {
            const int now = layout.lines().last().start + layout.lines().last().length;
            EXPECT_LE(now - placed, 500 + FeedbackTextLayout::kWindow);
            placed = now;
            ++steps;
        }
        QList<QPair<int, int>> pieces;
        qreal y = 0;
        for (const FeedbackTextLayout::Line &line : layout.lines()) {
            pieces.append({line.start, line.length});
            EXPECT_EQ(line.y, y);
            y += line.height;
        }
        EXPECT_EQ(pieces, wholeLines(text)) << qPrintable(text.left(20));
        EXPECT_EQ(layout.height(), y);
        EXPECT_GE(steps, int(text.size()) / (500 + FeedbackTextLayout::kWindow));
    }
}

TEST(FeedbackPictureGrid, AddTileStaysLastAndCannotBeRemoved)
{
    NBContactPictureView grid;
    grid.resize(320, 166);
    EXPECT_EQ(grid.itemCount(), 1);
    QList<int> asked;
    grid.actionBlock = [&](int index) { asked << index; };
    grid.selectItem(0);
    EXPECT_EQ(asked, QList<int>{0});

    QImage picture(10, 10, QImage::Format_RGB32);
    for (int i = 0; i < 3; ++i)
        grid.appendImage(picture);
    EXPECT_EQ(grid.imageArray().size(), 4);
    EXPECT_EQ(grid.itemCount(), 3);
    grid.selectItem(1);
    EXPECT_EQ(asked.size(), 1);
    // A click on any tile's picture asks with that tile's index.
    grid.show();
    QTest::mouseClick(grid.tiles().at(1)->iconImageView(), Qt::LeftButton);
    EXPECT_EQ(asked, (QList<int>{0, 1}));
    // The delete road never takes the add tile.
    EXPECT_FALSE(grid.removeItem(3));
    EXPECT_EQ(grid.imageArray().size(), 4);
    EXPECT_TRUE(grid.removeItem(0));
    EXPECT_EQ(grid.pictures().size(), 2);
    grid.clear();
    EXPECT_EQ(grid.imageArray().size(), 1);
    EXPECT_EQ(grid.itemCount(), 1);
}

TEST(FeedbackPictures, AddressesKeysAndFitting)
{
    EXPECT_EQ(FeedbackPicture::resolve(QStringLiteral("/static/a.jpg?fid=1"), QStringLiteral("http://h:1")),
              QStringLiteral("http://h:1/static/a.jpg?fid=1"));
    EXPECT_EQ(FeedbackPicture::resolve(QStringLiteral("https://cdn.example/a.jpg"), QStringLiteral("http://h:1")),
              QStringLiteral("https://cdn.example/a.jpg"));
    // White space is no address: the domain goes in front.
    EXPECT_EQ(FeedbackPicture::resolve(QStringLiteral("https://a b"), QStringLiteral("D")), QStringLiteral("Dhttps://a b"));
    EXPECT_EQ(FeedbackPicture::cacheKey(QUrl(QStringLiteral("http://h/a.jpg?x=1&fid=abc"))), QStringLiteral("abc"));
    EXPECT_FALSE(FeedbackPicture::cacheKey(QUrl(QStringLiteral("http://h/a.jpg"))));
    // The cache never names a file by the server's text.
    const QString path = ImageCache::shared().cachePathForKey(QStringLiteral("../../etc/x"));
    EXPECT_TRUE(path.endsWith(Hashing::md5Hex(QByteArrayLiteral("../../etc/x"))));
    EXPECT_FALSE(path.contains(QStringLiteral("..")));

    QImage big(400, 200, QImage::Format_RGB32);
    EXPECT_EQ(FeedbackPicture::fitted(big, QSize(85, 85)).size(), QSize(85, 42));
    QImage small(20, 30, QImage::Format_RGB32);
    EXPECT_EQ(FeedbackPicture::fitted(small, QSize(85, 85)).size(), QSize(20, 30));
    small.fill(Qt::blue);
    const QByteArray jpeg = FeedbackPicture::jpegBytes(small);
    EXPECT_TRUE(jpeg.startsWith("\xFF\xD8"));
    EXPECT_EQ(QImage::fromData(jpeg, "JPEG").size(), QSize(20, 30));
    bool number = false;
    FeedbackPicture::fileNameForNow().toDouble(&number);
    EXPECT_TRUE(number);
}

TEST(FeedbackScreens, TheContactNameMakesTheFormAndTheListKeepsItsOwnName)
{
    std::unique_ptr<NBBaseViewController> contact(ScreenFactory::instance().make(QStringLiteral("Contact")));
    EXPECT_NE(qobject_cast<NBContactViewController *>(contact.get()), nullptr);
    std::unique_ptr<NBBaseViewController> list(ScreenFactory::instance().make(QStringLiteral("NBFeedbackListViewController")));
    EXPECT_NE(qobject_cast<NBFeedbackListViewController *>(list.get()), nullptr);
}

// A long message is laid out a piece per turn of the event loop. Until it is whole its bubble says
// that more follows: a "…" line between the lines so far and the time stamp, where a reader would
// otherwise take the text for one that ends there. Whole, the mark goes.
TEST(FeedbackConversation, ALongMessageStillBeingLaidOutShowsThatMoreFollows)
{
    QString text;
    while (text.size() < 4 * FeedbackTextView::kFirstStep)
        text += QStringLiteral("reconnect fails again 重连失败 ");
    text += QStringLiteral("结尾");
    NBFeedbackGuestCell guest;
    const int width = 366;
    // Sized as the conversation sizes its rows: to the height the row asks for, each time it grows.
    QObject::connect(&guest, &NBFeedbackDetailCell::preferredHeightChanged, &guest,
                     [&] { guest.resize(width, guest.preferredHeight(width)); });
    guest.resize(width, 100);
    guest.configure(record({{"userType", 0}, {"content", text}, {"createTime", "2024-01-01 10:00"}}));
    guest.resize(width, guest.preferredHeight(width));
    guest.show();
    FeedbackTextView *view = guest.infoLab();
    ASSERT_FALSE(view->isLaidOut());

    // What is drawn between the text's lines so far and the time stamp, in the text's colour.
    const auto textPixelsBelowTheLines = [&](qreal linesHeight) {
        RoundedPanel *bubble = guest.cornerView();
        const int top = view->y() + int(std::ceil(linesHeight));
        const QRect band(view->x(), top, view->width(), guest.timeLab()->y() - top);
        const QImage shot = bubble->grab(band).toImage();
        int drawn = 0;
        for (int y = 0; y < shot.height(); ++y) {
            for (int x = 0; x < shot.width(); ++x)
                drawn += shot.pixelColor(x, y).lightness() > 128 ? 1 : 0;
        }
        return drawn;
    };
    FeedbackTextLayout soFar(text, view->font(), view->textWidth());
    ASSERT_FALSE(soFar.layOutSome(FeedbackTextView::kFirstStep));
    EXPECT_EQ(view->lineCount(), soFar.lines().size());
    EXPECT_TRUE(view->showsContinuation());
    EXPECT_GT(textPixelsBelowTheLines(soFar.height()), 0) << "the mark that more follows";
    EXPECT_LT(view->geometry().bottom(), guest.timeLab()->y());

    QTRY_VERIFY_WITH_TIMEOUT(view->isLaidOut(), 10000);
    FeedbackTextLayout whole(text, view->font(), view->textWidth());
    ASSERT_TRUE(whole.layOutSome(int(text.size())));
    EXPECT_FALSE(view->showsContinuation());
    EXPECT_EQ(view->height(), int(std::ceil(whole.height())));
    EXPECT_EQ(textPixelsBelowTheLines(whole.height()), 0) << "whole, nothing follows its last line";
    EXPECT_LT(view->geometry().bottom(), guest.timeLab()->y());
}
