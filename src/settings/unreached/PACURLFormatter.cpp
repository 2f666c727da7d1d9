#include "settings/unreached/PACURLFormatter.h"

#include <QUrl>

#include "common/Localization.h"

namespace {

QString trimSpacesAndTabs(const QString &text)
{
    auto blank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && blank(text.at(begin)))
        ++begin;
    while (end > begin && blank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

// The scheme as typed: QUrl folds it to lower case, and "HTTP" must fail.
QString schemeAsWritten(const QString &text)
{
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    return colon <= 0 ? QString() : text.left(colon);
}

} // namespace

std::optional<QString> PACURLFormatter::stringForObjectValue(const QVariant &object)
{
    if (object.typeId() != QMetaType::QString)
        return std::nullopt;
    return object.toString();
}

PACURLFormatter::Result PACURLFormatter::getObjectValue(const QString &string)
{
    const QString trimmed = trimSpacesAndTabs(string);
    if (trimmed.isEmpty())
        return {true, std::nullopt, {}};
    const QUrl url(trimmed, QUrl::StrictMode);
    const QString scheme = schemeAsWritten(trimmed);
    const bool known = scheme == QLatin1String("http") || scheme == QLatin1String("https")
                       || scheme == QLatin1String("file");
    if (!url.isValid() || url.scheme().isEmpty() || !known)
        return {false, std::nullopt, errorText()};
    // The address as typed, as the service will read it (QUrl would fold the host's case).
    return {true, trimmed, {}};
}

QString PACURLFormatter::errorText()
{
    return localizedBySystemLanguage(QStringLiteral("Must be a valid URL with scheme 'file', 'http' or 'https'"));
}
