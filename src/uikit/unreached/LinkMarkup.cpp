#include "uikit/unreached/LinkMarkup.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QUrl>

namespace {

void appendPlain(QList<LinkMarkup::Run> &runs, const QString &text)
{
    if (text.isEmpty())
        return;
    if (!runs.isEmpty() && runs.last().link.isEmpty())
        runs.last().text += text;
    else
        runs.append({text, QString()});
}

// The link target, or empty when the JSON gives none that is safe to follow.
QString targetFor(const QJsonObject &object)
{
    const QString type = object.value(QStringLiteral("type")).toString();
    const QJsonValue rawValue = object.value(QStringLiteral("value"));
    const QString value = rawValue.isDouble() ? QString::number(rawValue.toDouble()) : rawValue.toString();
    if (type == QLatin1String("outer")) {
        const QUrl url(value, QUrl::StrictMode);
        const QString scheme = url.scheme().toLower();
        return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https")) ? value : QString();
    }
    // The type takes the host's place: only a plain word may stand there.
    static const QRegularExpression word(QStringLiteral("^[A-Za-z0-9_]+$"));
    if (!word.match(type).hasMatch())
        return {};
    return QStringLiteral("http://%1?value=%2").arg(type, QString::fromLatin1(QUrl::toPercentEncoding(value)));
}

} // namespace

QList<LinkMarkup::Run> LinkMarkup::getContentAttributeStringWithText(const QString &text)
{
    QList<Run> runs;
    qsizetype position = 0;
    while (position < text.size()) {
        const qsizetype open = text.indexOf(QLatin1String("[url="), position, Qt::CaseInsensitive);
        if (open < 0)
            break;
        const qsizetype jsonStart = open + 5;
        const qsizetype jsonEnd = text.indexOf(QLatin1String("}]"), jsonStart);
        // The closing tag is searched after the JSON, so it can never lie before the link text.
        const qsizetype close = jsonEnd < 0 ? -1 : text.indexOf(QLatin1String("[url]"), jsonEnd + 2, Qt::CaseInsensitive);
        if (jsonEnd < 0 || close < 0)
            break;
        const QJsonObject object = QJsonDocument::fromJson(text.mid(jsonStart, jsonEnd + 1 - jsonStart).toUtf8()).object();
        const QString linkText = text.mid(jsonEnd + 2, close - (jsonEnd + 2));
        const QString target = object.isEmpty() ? QString() : targetFor(object);
        if (target.isEmpty()) {
            // Not a usable link: the rest is plain text.
            break;
        }
        appendPlain(runs, text.mid(position, open - position));
        runs.append({linkText, target});
        position = close + 5;
    }
    appendPlain(runs, text.mid(position));
    return runs;
}

QString LinkMarkup::toHtml(const QList<Run> &runs)
{
    QString html;
    for (const Run &run : runs) {
        const QString escaped = run.text.toHtmlEscaped();
        if (run.link.isEmpty())
            html += escaped;
        else
            html += QStringLiteral("<a href=\"%1\">%2</a>").arg(run.link.toHtmlEscaped(), escaped);
    }
    return html;
}

QString LinkMarkup::plainText(const QList<Run> &runs)
{
    QString text;
    for (const Run &run : runs)
        text += run.text;
    return text;
}
