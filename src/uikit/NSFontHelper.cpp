#include "uikit/NSFontHelper.h"

#include <QFontDatabase>
#include <QStringList>

namespace {

QFont makeFont(const QString &face, int size, QFont::Weight weight)
{
    NSFontHelper::installFontSubstitutions();
    QFont font;
    QStringList families;
    // The system variants put the desktop's own face first; the CJK faces still cover Chinese.
    families << (face.isEmpty() ? QFontDatabase::systemFont(QFontDatabase::GeneralFont).family() : face);
    families << NSFontHelper::fallbackFamilies();
    font.setFamilies(families);
    font.setPixelSize(qMax(1, size));
    font.setWeight(weight);
    return font;
}

} // namespace

QStringList NSFontHelper::fallbackFamilies()
{
    return {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Micro Hei"),
            QFontDatabase::systemFont(QFontDatabase::GeneralFont).family()};
}

void NSFontHelper::installFontSubstitutions()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    const QStringList chain = fallbackFamilies();
    for (const char *face : {"PingFangSC-Regular", "PingFangSC-Light", "PingFangSC-Medium", "PingFang SC"})
        QFont::insertSubstitutions(QString::fromLatin1(face), chain);
}

QFont NSFontHelper::getLightPingFangFont(int size)
{
    return makeFont(QStringLiteral("PingFang SC"), size, QFont::Light);
}

QFont NSFontHelper::getRegularPingFangFont(int size)
{
    return makeFont(QStringLiteral("PingFang SC"), size, QFont::Normal);
}

QFont NSFontHelper::getMediumPingFangFont(int size)
{
    return makeFont(QStringLiteral("PingFang SC"), size, QFont::Medium);
}

QFont NSFontHelper::getLightSystemFont(int size)
{
    return makeFont(QString(), size, QFont::Light);
}

QFont NSFontHelper::getRegularSystemFont(int size)
{
    return makeFont(QString(), size, QFont::Normal);
}

QFont NSFontHelper::getMediumSystemFont(int size)
{
    return makeFont(QString(), size, QFont::Medium);
}
