#pragma once

// How GoogleTest prints Qt's text and JSON values in a failure: a QString as its quoted text, JSON
// as compact JSON text, in place of the raw bytes of the object ("16-byte object <...>"). Every test
// program gets these (forced in by tests/CMakeLists.txt), so a case that compares them needs
// nothing more. GoogleTest finds a PrintTo by argument-dependent lookup, in the namespace of the
// type printed: Qt's types live in the global one, and so must these.

#include <iosfwd>

class QJsonArray;
class QJsonObject;
class QJsonValue;
class QString;

void PrintTo(const QString &text, std::ostream *out);
void PrintTo(const QJsonObject &object, std::ostream *out);
void PrintTo(const QJsonArray &array, std::ostream *out);
void PrintTo(const QJsonValue &value, std::ostream *out);
