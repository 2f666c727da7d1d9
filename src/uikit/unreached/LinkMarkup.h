#pragma once

#include <QList>
#include <QString>

// Nothing in the client calls this yet; it is kept to read the link markup of server texts.
// The small link markup of server texts: plain runs and links written as
// "[url=" + a JSON object + "]" + link text + "[url]". The JSON's "type" "outer" links to its
// "value" (http or https only); any other type links to "http://<type>?value=<value>", which the
// receiving view recognises as an in-app action. A run that does not parse, or whose target would
// be unsafe, stays plain text.
class LinkMarkup
{
public:
    struct Run
    {
        QString text;
        QString link; // empty for plain text
    };

    static QList<Run> getContentAttributeStringWithText(const QString &text);
    // The runs as rich text (escaped; links as anchors).
    static QString toHtml(const QList<Run> &runs);
    static QString plainText(const QList<Run> &runs);

private:
    LinkMarkup() = delete;
};
