#include "home/unreached/NBLinesListModel.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

#include "common/DefaultsKeys.h"
#include "common/UserDefaults.h"

std::optional<QList<OOHomeNodeModel>> NBLinesListModel::handleNodeList(const QString &text)
{
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8());
    if (!document.isObject() || document.object().isEmpty())
        return std::nullopt;
    const QJsonValue pages = document.object().value(QStringLiteral("page_datas"));
    if (!pages.isArray())
        return std::nullopt;
    QList<OOHomeNodeModel> lines;
    for (const QJsonValue &value : pages.toArray()) {
        if (!value.isObject())
            return std::nullopt;
        OOHomeNodeModel line = OOHomeNodeModel::fromJson(value.toObject());
        line.name = listedName(line.name);
        lines.append(line);
    }
    return lines;
}

QString NBLinesListModel::listedName(const QString &name)
{
    const QStringList parts = name.split(QLatin1Char('_'), Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return QString();
    return parts.size() == 1 ? parts.first() : parts.at(1);
}

std::optional<QString> NBLinesListModel::groupKey(const QString &name)
{
    const QStringList parts = name.split(QLatin1Char('_'), Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return std::nullopt;
    return parts.size() == 1 ? QString() : parts.first();
}

bool NBLinesListModel::isLatencyOrder()
{
    const std::optional<qint64> order = UserDefaults::standard().integerValue(DefaultsKeys::kLineOrderType);
    return order && *order == 1;
}

void NBLinesListModel::setLines(const QList<OOHomeNodeModel> &lines)
{
    showList = lines;
    buildRows();
}

std::optional<OOHomeNodeModel> NBLinesListModel::cachedLine() const
{
    return OOHomeNodeModel::cachedLine(showList);
}

void NBLinesListModel::buildRows()
{
    const std::optional<OOHomeNodeModel> stored = cachedLine();
    const std::optional<int> storedId = stored ? stored->id : std::nullopt;
    const int childIndex = stored ? stored->childIndex.value_or(0) : 0;
    listMap.clear();
    selectIndex.reset();
    bool found = false;
    for (OOHomeNodeModel &line : showList) {
        line.isMark = false;
        if (line.id && *line.id == storedId.value_or(0)) {
            line.isMark = true;
            found = true;
        }
        if (const std::optional<QString> key = groupKey(line.name))
            listMap[*key].append(line);
    }
    if (isLatencyOrder())
        sortByLatency();
    if ((!storedId || !found) && !showList.isEmpty()) {
        UserDefaults::standard().remove(DefaultsKeys::kProxyLineInfo);
        UserDefaults::standard().synchronizeOrLog("forgetting a line no longer listed");
    }
    if (!found)
        return;
    for (int i = 0; i < showList.size(); ++i) {
        if (showList.at(i).id != storedId)
            continue;
        selectIndex = i;
        if (showList.at(i).isGroup) {
            if (!showList.at(i).isSelectedState) {
                showList[i].isSelectedState = true;
                toggleGroup(i);
            }
            const int child = i + childIndex + 1;
            if (child < showList.size())
                showList[child].isClickState = true;
        }
        return;
    }
}

int NBLinesListModel::openChildrenAfter(int row) const
{
    // The rows right after an open group that are its own children.
    const OOHomeNodeModel &group = showList.at(row);
    int count = 0;
    for (const OOHomeNodeModel &child : group.childLines) {
        const int at = row + 1 + count;
        if (at >= showList.size() || showList.at(at).id != child.id || showList.at(at).isGroup)
            break;
        ++count;
    }
    return count;
}

void NBLinesListModel::toggleGroup(int row)
{
    if (row < 0 || row >= showList.size() || !showList.at(row).isGroup)
        return;
    const OOHomeNodeModel group = showList.at(row);
    const int shown = openChildrenAfter(row);
    // Only the group's own children leave, and they are never inserted twice.
    for (int i = 0; i < shown; ++i)
        showList.removeAt(row + 1);
    if (!group.isSelectedState)
        return;
    for (int i = 0; i < group.childLines.size(); ++i) {
        OOHomeNodeModel child = group.childLines.at(i);
        child.childIndex = i;
        showList.insert(row + 1 + i, child);
    }
}

void NBLinesListModel::switchListType(bool isAll)
{
    if (isLatencyOrder())
        sortByLatency();
    selectItemType = isAll ? OOHomeItemListType::all : OOHomeItemListType::smart;
}

void NBLinesListModel::sortByLatency()
{
    // A group moves as one entry with the children shown under it; equal latencies keep order.
    QList<QList<OOHomeNodeModel>> entries;
    for (int i = 0; i < showList.size();) {
        const int children = showList.at(i).isGroup ? openChildrenAfter(i) : 0;
        entries.append(showList.mid(i, children + 1));
        i += children + 1;
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const auto &a, const auto &b) { return a.first().ping < b.first().ping; });
    showList.clear();
    for (const auto &entry : entries)
        showList.append(entry);
}

std::optional<OOHomeNodeModel> NBLinesListModel::selectRow(int row)
{
    if (row < 0 || row >= showList.size())
        return std::nullopt;
    if (showList.at(row).isGroup) {
        showList[row].isSelectedState = !showList.at(row).isSelectedState;
        toggleGroup(row);
        return std::nullopt;
    }
    for (OOHomeNodeModel &line : showList)
        line.isClickState = false;
    showList[row].isClickState = true;
    return showList.at(row);
}
