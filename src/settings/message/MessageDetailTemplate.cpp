#include "settings/message/MessageDetailTemplate.h"

#include <QFile>
#include <QRegularExpression>

#include "common/AppPaths.h"
#include "networking/NBMessageListModel.h"

const QString MessageDetailTemplate::kTitlePlaceholder = QStringLiteral("marletTitle");
const QString MessageDetailTemplate::kTimePlaceholder = QStringLiteral("marletTime");
const QString MessageDetailTemplate::kInfoPlaceholder = QStringLiteral("marletInfo");

QString MessageDetailTemplate::templatePath()
{
    return AppPaths::resourcePath(QStringLiteral("messageDetail.html"));
}

std::optional<QString> MessageDetailTemplate::load()
{
    QFile file(templatePath());
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return QString::fromUtf8(file.readAll());
}

QString MessageDetailTemplate::fill(const QString &templateText, const NBMessageListModel &message)
{
    static const QRegularExpression placeholders(QStringLiteral("marletTitle|marletTime|marletInfo"));
    const QString title = message.title.value_or(QString()).toHtmlEscaped();
    const QString time = message.createTime.value_or(QString()).toHtmlEscaped();
    const QString body = message.body.value_or(QString());

    QString filled;
    filled.reserve(templateText.size() + title.size() + time.size() + body.size());
    qsizetype done = 0;
    QRegularExpressionMatchIterator it = placeholders.globalMatch(templateText);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        filled += QStringView(templateText).mid(done, match.capturedStart() - done);
        const QStringView name = match.capturedView();
        filled += name == kTitlePlaceholder ? title : name == kTimePlaceholder ? time : body;
        done = match.capturedEnd();
    }
    filled += QStringView(templateText).mid(done);
    return filled;
}
