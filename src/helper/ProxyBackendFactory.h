#pragma once

#include "helper/ProxyBackend.h"

#include <QString>

#include <memory>

// Chooses where the desktop keeps its proxy settings: named on the command line, or found from
// the running desktop ("auto": KDE by XDG_CURRENT_DESKTOP, else gsettings when its proxy schema
// is there, else the file).
namespace ProxyBackendFactory {

struct Options
{
    QString backend = QStringLiteral("auto"); // auto, file, gsettings, kde
    QString filePath;                          // file backend
    QString kioslavercPath;                    // kde backend; empty = the user's own
    QString gsettingsProgram = QStringLiteral("gsettings");
};

QString detect(const Options &options);
// nullptr with a reason for an unknown name.
std::unique_ptr<ProxyBackend> create(const Options &options, QString *error);

} // namespace ProxyBackendFactory
