#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

// Unpacks a local page package for a web view. A page named N ships among the built resources as
// "pages/N.zip"; the first load copies it to "<private>/N.zip", and every load unpacks that copy
// (which the page-package update may have replaced) into "<page root>/N" and answers with
// "<page root>/N/index.html".
//
// The archive goes through the safe extractor with the package password (entries stored without
// encryption open too), and the page folder is replaced only when the whole archive was read: a
// broken or hostile archive leaves the previous page in place and loads nothing.
//
// The unpacking runs on a worker thread; the completion comes back on the GUI thread exactly
// once, in a later turn, and not at all when `context` is gone by then.
class OOPageLoader
{
public:
    static const QString kPurchasePage;   // "buypage"
    static const QString kDownloadPage;   // "mac-tamsine-download"

    using Completion = std::function<void(std::optional<QString> entryFile)>;

    static void loadPage(const QString &name, QObject *context, Completion completion);

    // The same, blocking; for the worker and for tests.
    static std::optional<QString> unpack(const QString &name);

    static QString bundledArchive(const QString &name);
    static QString localArchive(const QString &name);
    static QString pageFolder(const QString &name);

private:
    OOPageLoader() = delete;
};
