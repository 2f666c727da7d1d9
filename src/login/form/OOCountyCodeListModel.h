#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include "login/form/OOCountyCodeModel.h"

// The shipped calling-code list, "country_code.json" in the resources: {"countryList": [...]}
// in the order shown. A file that is missing or malformed, or any entry that lacks a key, gives
// an empty list: the field then keeps "+86".
struct OOCountyCodeListModel
{
    QList<OOCountyCodeModel> countryList;

    static OOCountyCodeListModel fromJsonBytes(const QByteArray &bytes);
    static OOCountyCodeListModel loadFile(const QString &path);
    // The resource "country_code.json" of the program.
    static OOCountyCodeListModel loadBundled();
};
