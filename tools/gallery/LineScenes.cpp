// Pictures of the line widgets: the selector bar, the line popup in smart and in global mode,
// the line cells (a member-only line among them), the mode list, the line page and the home
// line table. Flags are drawn here and put into the image cache, so no network is needed.

#include "uikit/NBBaseView.h"
#include "GalleryScene.h"

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>

#include "uikit/ImageCache.h"
#include "common/DefaultsKeys.h"
#include "common/UserDefaults.h"
#include "home/NBHomeLineListView.h"
#include "home/unreached/NBHomeLineScrollView.h"
#include "home/unreached/NBLinesViewController.h"
#include "home/unreached/NBModeListView.h"
#include "home/NBNewLineBestLocationCell.h"
#include "home/NBNewLineCell.h"
#include "home/NBSelectLineView.h"
#include "home/NBVPNModeView.h"

namespace {

QString flagUrl(const QString &code)
{
    return QStringLiteral("http://flags.gallery.invalid/%1.png").arg(code);
}

// Two bands and a disc in the region's colours, cached under the address the lines name.
void seedFlag(const QString &code, const QColor &top, const QColor &bottom, const QColor &disc)
{
    QImage image(64, 64, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.fillRect(0, 0, 64, 32, top);
    painter.fillRect(0, 32, 64, 32, bottom);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(disc);
    painter.drawEllipse(QPointF(32, 32), 12, 12);
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    ImageCache::shared().setDataForKey(bytes, flagUrl(code));
}

OOHomeNodeModel line(int id, const QString &name, int kind, const QString &code, const QString &mark = {})
{
    static bool seeded = false;
    if (!seeded) {
        seeded = true;
        seedFlag(QStringLiteral("jp"), QColor(245, 245, 245), QColor(245, 245, 245), QColor(200, 30, 50));
        seedFlag(QStringLiteral("us"), QColor(40, 60, 130), QColor(190, 35, 50), QColor(245, 245, 245));
        seedFlag(QStringLiteral("hk"), QColor(210, 30, 40), QColor(210, 30, 40), QColor(245, 245, 245));
        seedFlag(QStringLiteral("sg"), QColor(220, 40, 50), QColor(245, 245, 245), QColor(220, 40, 50));
        seedFlag(QStringLiteral("de"), QColor(30, 30, 30), QColor(250, 200, 40), QColor(210, 30, 30));
        seedFlag(QStringLiteral("kr"), QColor(245, 245, 245), QColor(245, 245, 245), QColor(40, 70, 150));
    }
    OOHomeNodeModel model;
    model.id = id;
    model.name = name;
    model.kind = kind;
    model.isMark = kind == 1;
    model.abbrUrl = flagUrl(code);
    if (!mark.isEmpty())
        model.lineMark = mark;
    model.ping = 40 + id % 170;
    return model;
}

QList<OOHomeNodeModel> galleryLines()
{
    return {line(101, QStringLiteral("东京 01"), 0, QStringLiteral("jp")),
            line(102, QStringLiteral("洛杉矶 01"), 1, QStringLiteral("us"), QStringLiteral("ChatGPT 推荐线路")),
            line(200, QStringLiteral("香港 智能组"), 1, QStringLiteral("hk")),
            line(401, QStringLiteral("新加坡 01"), 0, QStringLiteral("sg")),
            line(501, QStringLiteral("法兰克福 01"), 1, QStringLiteral("de")),
            line(601, QStringLiteral("首尔 01"), 0, QStringLiteral("kr"))};
}

QWidget *darkBox(const QSize &size)
{
    auto *box = new QWidget;
    box->resize(size);
    box->setAutoFillBackground(true);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Window, QColor(25, 18, 44));
    box->setPalette(palette);
    return box;
}

QWidget *selector(bool global)
{
    UserDefaults::standard().setInteger(DefaultsKeys::kProxyMode, global ? 1 : 0);
    QWidget *box = darkBox(QSize(380, 131));
    auto *bar = new NBSelectLineView(box);
    bar->move(20, 20);
    OOHomeNodeModel chosen = galleryLines().at(global ? 4 : 0);
    chosen.isGlobel = global;
    bar->update(chosen);
    return box;
}

QWidget *popup(bool global, bool explanation)
{
    UserDefaults::standard().setInteger(DefaultsKeys::kProxyMode, global ? 1 : 0);
    UserDefaults::standard().setString(DefaultsKeys::kProxyLineInfo, galleryLines().at(3).toJsonText());
    QWidget *host = galleryWindowHost();
    auto made = std::make_unique<NBHomeLineListView>();
    made->setShowList(galleryLines());
    made->reloadLines();
    NBHomeLineListView *view = NBBaseView::show(std::move(made));
    if (view && explanation)
        view->toggleModeExplanation();
    return host;
}

} // namespace

OSTREL_GALLERY_SCENE("lines/selector_smart", 380, 131)
{
    return selector(false);
}

OSTREL_GALLERY_SCENE("lines/selector_global", 380, 131)
{
    return selector(true);
}

OSTREL_GALLERY_SCENE("lines/selector_no_line", 380, 131)
{
    QWidget *box = darkBox(QSize(380, 131));
    auto *bar = new NBSelectLineView(box);
    bar->move(20, 20);
    bar->update(std::nullopt);
    return box;
}

OSTREL_GALLERY_SCENE("lines/popup_smart", 800, 500)
{
    return popup(false, false);
}

OSTREL_GALLERY_SCENE("lines/popup_global", 800, 500)
{
    return popup(true, false);
}

OSTREL_GALLERY_SCENE("lines/popup_mode_explanation", 800, 500)
{
    return popup(false, true);
}

OSTREL_GALLERY_SCENE("lines/cells", 375, 252)
{
    // The first row, a chosen open line, a member-only line with its mark, a plain line.
    QWidget *box = darkBox(QSize(375, 252));
    QPalette palette = box->palette();
    palette.setColor(QPalette::Window, QColor(42, 41, 44));
    box->setPalette(palette);
    const QList<OOHomeNodeModel> lines = galleryLines();
    auto *best = new NBNewLineBestLocationCell(box);
    best->setGeometry(0, 0, 375, 84);
    best->configure(lines.at(0), 1);
    OOHomeNodeModel chosen = lines.at(3);
    chosen.isClickState = true;
    auto *chosenCell = new NBNewLineCell(box);
    chosenCell->setGeometry(0, 84, 375, 56);
    chosenCell->configure(chosen, 1);
    auto *member = new NBNewLineCell(box);
    member->setGeometry(0, 140, 375, 56);
    member->configure(lines.at(1), 1);
    auto *plain = new NBNewLineCell(box);
    plain->setGeometry(0, 196, 375, 56);
    plain->configure(lines.at(5), 1);
    return box;
}

OSTREL_GALLERY_SCENE("lines/mode_list", 800, 500)
{
    UserDefaults::standard().setInteger(DefaultsKeys::kProxyMode, 1);
    QWidget *host = galleryWindowHost();
    auto list = std::make_unique<NBModeListView>();
    list->didSelectBlock = [](int) {};
    NBBaseView::show(std::move(list));
    return host;
}

OSTREL_GALLERY_SCENE("lines/line_window", 320, 667)
{
    UserDefaults::standard().setInteger(DefaultsKeys::kLineOrderType, 1);
    UserDefaults::standard().setString(DefaultsKeys::kProxyLineInfo, galleryLines().at(0).toJsonText());
    auto *page = new NBLinesViewController;
    page->ensureLoaded();
    // The reply as the service sends it: "<region>_<line>" names, the Hong Kong group with two lines.
    QJsonArray records;
    for (OOHomeNodeModel model : galleryLines()) {
        const QString region = model.abbrUrl->section(QLatin1Char('/'), -1).section(QLatin1Char('.'), 0, 0).toUpper();
        model.name = region + QLatin1Char('_') + model.name;
        if (model.id == 200) {
            model.isGroup = true;
            model.childLineNum = 2;
            model.childLines = {line(201, QStringLiteral("HK_香港 01"), 1, QStringLiteral("hk")),
                                line(202, QStringLiteral("HK_香港 02"), 1, QStringLiteral("hk"))};
            for (OOHomeNodeModel &child : model.childLines)
                child.name = child.name.section(QLatin1Char('_'), 1);
        }
        records.append(model.toJson());
    }
    const QJsonObject reply{{QStringLiteral("page_datas"), records}};
    page->handleNodeList(QString::fromUtf8(QJsonDocument(reply).toJson(QJsonDocument::Compact)), false);
    // The Hong Kong group open, as a click on its arrow leaves it.
    QList<OOHomeNodeModel> &rows = page->model().showList;
    for (int i = 0; i < rows.size(); ++i) {
        if (rows.at(i).id == 200) {
            rows[i].isSelectedState = true;
            page->model().toggleGroup(i);
        }
    }
    page->switchListType(true);
    return page;
}

OSTREL_GALLERY_SCENE("lines/home_table", 320, 385)
{
    static QList<OOHomeNodeModel> lines;
    lines = galleryLines();
    lines[2].isClickState = true;
    auto *table = new NBHomeLineScrollView;
    table->resize(320, 385);
    table->setLines(&lines);
    return table;
}
