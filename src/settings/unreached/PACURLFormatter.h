#pragma once

#include <QString>
#include <QVariant>

#include <optional>

// Nothing in the client creates this yet; it is kept as the reader of the PAC address field.
// Reads the text of a URL field: only "http", "https" and "file" addresses pass, the scheme
// written exactly so (upper case fails). Spaces and tabs around the text are dropped; a blank text
// passes without a value.
class PACURLFormatter
{
public:
    struct Result
    {
        bool ok = false;
        std::optional<QString> object;   // the address as read, set only for a non-blank text
        QString errorDescription;        // set only when refused
    };

    static std::optional<QString> stringForObjectValue(const QVariant &object);
    static Result getObjectValue(const QString &string);

    // The one refusal text, in the system's language.
    static QString errorText();
};
