#include "support/QtValuePrinting.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <ostream>

#include <gtest/gtest.h>

void PrintTo(const QString &text, std::ostream *out)
{
    ::testing::internal::PrintStringTo(text.toStdString(), out);
}

void PrintTo(const QJsonObject &object, std::ostream *out)
{
    *out << QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}

void PrintTo(const QJsonArray &array, std::ostream *out)
{
    *out << QJsonDocument(array).toJson(QJsonDocument::Compact).toStdString();
}

void PrintTo(const QJsonValue &value, std::ostream *out)
{
    // A document holds only an object or an array: a lone value is printed as the one element of
    // an array, without its brackets. An undefined value (a missing key's) is no JSON at all.
    if (value.isUndefined()) {
        *out << "undefined";
        return;
    }
    const QByteArray text = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    *out << text.mid(1, text.size() - 2).toStdString();
}
