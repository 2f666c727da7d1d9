#pragma once

#include <QJsonObject>
#include <QString>

#include <optional>

// One server notice of the notifications list. The four counters are required: a notice that
// lacks one (or has it in another JSON type) does not decode and is skipped.
class HHNoticeModel
{
public:
    static std::optional<HHNoticeModel> fromJson(const QJsonObject &json);

    // Whether the notice is due now, by its frequency: 5 once ever; 2 once, then again every
    // `nextPushSeconds`; 1 once, or again while the home screen's session flag is still set.
    // A yes records now as the notice's last showing in "kAnouncePreTimeRecords".
    bool shouldShow(bool frequencyOneSession, qint64 nowSeconds) const;
    bool shouldShow(bool frequencyOneSession) const;
    // The same question without the record, for a caller that records the showing itself once
    // the notice was really shown (`recordShown`).
    bool isDue(bool frequencyOneSession, qint64 nowSeconds) const;
    static void recordShown(qint64 id, qint64 nowSeconds);

    // The last showing of a notice id, from "kAnouncePreTimeRecords".
    static std::optional<qint64> lastShownAt(qint64 id);

    std::optional<QString> title;
    std::optional<QString> body;
    qint64 frequency = 0;
    qint64 id = 0;
    qint64 times = 0;
    qint64 nextPushSeconds = 0;
    std::optional<QString> templateText;   // "template"
};
