#include "uikit/LMAppThemeHelper.h"

#include "uikit/ColorHelpers.h"

#include <QHash>

namespace {

bool g_dark = true;

struct NamedColour
{
    quint32 dark;
    quint32 light;
};

// Values chosen to sit with the colours the screens use literally (text 179,183,190 and
// 222,228,244 on 42,41,44 / 23,35,48 / 13,25,37).
const QHash<QString, NamedColour> &namedColours()
{
    static const QHash<QString, NamedColour> table = {
        {QStringLiteral("title_color"), {0xFFFFFF, 0x515151}},
        {QStringLiteral("main_bg_color"), {0x0D1925, 0xFFFFFF}},
        {QStringLiteral("tableview_selector_bg_color"), {0x17232F, 0xEDF3FA}},
        {QStringLiteral("tips_text_color"), {0xB3B7BE, 0x7E7E7E}},
        {QStringLiteral("tips_bg_color"), {0x2A292C, 0xF5F5F5}},
        {QStringLiteral("second_text_color"), {0xDEE4F4, 0x616C72}},
        {QStringLiteral("third_text_color"), {0x7B7B7B, 0xA5B0B5}},
        {QStringLiteral("rectangle_button_disabled_bg_color"), {0x3A3A3E, 0xD7F7EC}},
        {QStringLiteral("rectangle_button_disabled_text_color"), {0x7E7E7E, 0xFFFFFF}},
        {QStringLiteral("small_btn_border_color"), {0x656567, 0xE5E5E5}},
        {QStringLiteral("scrollbar_color"), {0x3F404C, 0xD4D4D4}},
    };
    return table;
}

} // namespace

bool LMAppThemeHelper::isDarkMode() { return g_dark; }
void LMAppThemeHelper::setDarkMode(bool dark) { g_dark = dark; }

QColor LMAppThemeHelper::namedColor(const QString &name)
{
    const auto it = namedColours().constFind(name);
    if (it == namedColours().constEnd())
        return {};
    return ColorHelpers::colorWithHex(g_dark ? it->dark : it->light);
}

QColor LMAppThemeHelper::getMainBgColor() { return namedColor(QStringLiteral("main_bg_color")); }
QColor LMAppThemeHelper::getRectangleBtnDisabledBgColor() { return namedColor(QStringLiteral("rectangle_button_disabled_bg_color")); }
QColor LMAppThemeHelper::getRectangleBtnDisabledTextColor() { return namedColor(QStringLiteral("rectangle_button_disabled_text_color")); }
