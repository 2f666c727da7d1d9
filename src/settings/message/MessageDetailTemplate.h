#pragma once

#include <QString>

#include <optional>

class NBMessageListModel;

// The page a message is shown in: the template "messageDetail.html" of the resource folder with
// the message's title, time and text put in place of "marletTitle", "marletTime" and "marletInfo".
class MessageDetailTemplate
{
public:
    static const QString kTitlePlaceholder;
    static const QString kTimePlaceholder;
    static const QString kInfoPlaceholder;

    // The template as UTF-8 text; none when the file is missing or cannot be read.
    static std::optional<QString> load();
    static QString templatePath();

    // One pass over the template, so text put in is never searched again (a title that reads
    // "marletInfo" stays a title). Title and time are plain text and go in escaped; the body is
    // the service's HTML and goes in as it is. A field the message lacks goes in empty.
    static QString fill(const QString &templateText, const NBMessageListModel &message);

private:
    MessageDetailTemplate() = delete;
};
