#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Flag-like pictures of the stand-in's line regions, served as PNG files: simple coloured bands
// and discs of our own, one per region code, drawn and encoded without any image library.
namespace StandinFlags {

// The PNG for a region code ("jp", "us", ...); empty for a code the stand-in has no picture of.
QByteArray png(const QString &code);
QStringList codes();

} // namespace StandinFlags
