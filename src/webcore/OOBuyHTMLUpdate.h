#pragma once

#include <QJsonObject>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

// Replaces the local page packages with newer ones from the service. The system-setting reply
// lists them under "data" -> "globalsettings" -> "content" (key -> package address with "fid"
// and "md5key"; "staticurl" is a base address, never a package). Each changed key is downloaded,
// installed as "<private>/<key>.zip" (which the page loader unpacks) and its address recorded in
// the local "systemsetting" file.
//
// Keys become file names only when they are plain names; others are skipped and logged. An update
// answers exactly once, from the event loop: true when every changed key was installed and
// recorded, false otherwise (nothing changed included, so the version is asked for again). A key
// whose address changed while its "fid" did not is the file already installed and counts as stored.
class OOBuyHTMLUpdate : public QObject
{
    Q_OBJECT
public:
    using Completion = std::function<void(bool)>;

    explicit OOBuyHTMLUpdate(QObject *parent = nullptr);

    void update(const std::optional<QJsonObject> &response, const std::optional<QString> &message,
                Completion completion);

    // The address as requested: percent-encoded with the characters a URL query allows.
    static QString encodedUrl(const QString &url);

private:
    struct Run;

    void download(const std::shared_ptr<Run> &run, const QString &url, const QString &key);
    bool saveSystemSetting(const QString &key, const QString &url);
    void countDown(const std::shared_ptr<Run> &run, bool success);
    void report(const std::shared_ptr<Run> &run, bool success);
};
