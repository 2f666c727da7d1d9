#include "home/NBHomeLineListModel.h"

#include "common/DefaultsKeys.h"
#include "common/UserDefaults.h"
#include "vpn/ProxyMode.h"

const OOHomeNodeModel *NBHomeLineListModel::selectLineMode() const
{
    if (!m_selectIndex || *m_selectIndex >= showList.size())
        return nullptr;
    return &showList.at(*m_selectIndex);
}

std::optional<OOHomeNodeModel> NBHomeLineListModel::cachedLine() const
{
    return OOHomeNodeModel::cachedLine(showList);
}

void NBHomeLineListModel::reloadLines(const QString &baseUrl)
{
    const std::optional<OOHomeNodeModel> selected = cachedLine();
    const std::optional<int> selectedId = selected ? selected->id : std::nullopt;
    m_selectIndex.reset();
    bool found = false;
    // The host part once for every row: the list may hold thousands.
    QString base = baseUrl;
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    for (int i = 0; i < showList.size(); ++i) {
        OOHomeNodeModel &row = showList[i];
        // Marks of an earlier opening or choice go first: one row is chosen, never two.
        row.isClickState = false;
        if (selectedId && row.id && *row.id == *selectedId) {
            row.isClickState = true;
            m_selectIndex = i;
            found = true;
        }
        if (row.abbrUrl && !isAbsoluteAddress(*row.abbrUrl))
            row.abbrUrl = joinAddress(base, *row.abbrUrl);
    }
    if ((!selectedId || !found) && !showList.isEmpty()) {
        UserDefaults::standard().remove(DefaultsKeys::kProxyLineInfo);
        UserDefaults::standard().synchronizeOrLog("forgetting a line no longer listed");
    }
}

std::optional<OOHomeNodeModel> NBHomeLineListModel::selectRow(int row, bool dragged)
{
    if (dragged || row < 0 || row >= showList.size())
        return std::nullopt;
    OOHomeNodeModel &line = showList[row];
    if (line.isClickState && !changeMode)
        return std::nullopt;
    line.isGlobel = isProxyModeOn();
    store(line);
    choose(row);
    return showList.at(row);
}

std::optional<OOHomeNodeModel> NBHomeLineListModel::switchMode(int index)
{
    changeMode = true;
    std::optional<OOHomeNodeModel> line = cachedLine();
    if (!line)
        return std::nullopt;
    line->isGlobel = index != 0;
    store(*line);
    return line;
}

void NBHomeLineListModel::markRow(int row)
{
    if (row >= 0 && row < showList.size())
        choose(row);
}

void NBHomeLineListModel::choose(int row)
{
    if (m_selectIndex && *m_selectIndex != row && *m_selectIndex < showList.size())
        showList[*m_selectIndex].isClickState = false;
    showList[row].isClickState = true;
    m_selectIndex = row;
}

void NBHomeLineListModel::store(const OOHomeNodeModel &line)
{
    const QString text = line.toJsonText();
    if (text.isEmpty())
        return;
    UserDefaults::standard().setString(DefaultsKeys::kProxyLineInfo, text);
    // The connect of this run reads the value held in memory; only the next start would miss it.
    UserDefaults::standard().synchronizeOrLog("storing the chosen line");
}

bool NBHomeLineListModel::isAbsoluteAddress(const QString &text)
{
    // Checked by hand: it runs for every row of every opening, thousands of times.
    const qsizetype colon = text.indexOf(QLatin1String("://"));
    if (colon <= 0)
        return false;
    for (qsizetype i = 0; i < colon; ++i) {
        const char16_t c = text.at(i).unicode();
        if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')))
            return false;
    }
    for (qsizetype i = colon + 3; i < text.size(); ++i) {
        if (text.at(i).isSpace())
            return false;
    }
    return true;
}

QString NBHomeLineListModel::joinAddress(const QString &base, const QString &path)
{
    if (base.isEmpty())
        return path;
    qsizetype leftEnd = base.size();
    while (leftEnd > 0 && base.at(leftEnd - 1) == QLatin1Char('/'))
        --leftEnd;
    qsizetype rightStart = 0;
    while (rightStart < path.size() && path.at(rightStart) == QLatin1Char('/'))
        ++rightStart;
    QString joined;
    joined.reserve(leftEnd + 1 + path.size() - rightStart);
    joined.append(QStringView(base).left(leftEnd));
    joined.append(QLatin1Char('/'));
    joined.append(QStringView(path).mid(rightStart));
    return joined;
}
