#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

// One line (relay node) or one group of lines as the service's line list returns it.
//
// The same mapping serves decoding and encoding: eight fields use snake-case keys, every other
// field its own name. Keys the record does not declare are ignored; a declared key that is
// missing (or of an unusable type) leaves the field at its default. Absent optionals are left
// out of the encoded text, so a decoded-then-encoded line round-trips.
class OOHomeNodeModel
{
public:
    QString name;
    QString subName;
    int ping = 0;
    std::optional<QString> nodeName;
    std::optional<int> id;
    bool isCheckTime = false;
    std::optional<QString> abbrUrl;
    std::optional<int> kind;
    std::optional<QString> groupName;
    std::optional<int> nodeRegionId;
    bool isMark = false;
    std::optional<QString> country;
    std::optional<QString> city;
    std::optional<QString> inRegionCode;
    std::optional<QString> outRegionCode;
    std::optional<QString> inRegionName;
    std::optional<QString> lineMark;
    std::optional<int> childLineNum;
    std::optional<int> childIndex;
    QList<OOHomeNodeModel> childLines;
    bool isGroup = false;
    bool isSelectedState = false;
    bool isClickState = false;
    bool isGlobel = false;

    static OOHomeNodeModel fromJson(const QJsonObject &json);
    QJsonObject toJson() const;

    // Compact JSON text, the form kept under "kProxyLineInfo".
    QString toJsonText() const;
    // Nothing when the text is not a JSON object (the empty text included).
    static std::optional<OOHomeNodeModel> fromJsonText(const QString &text);

    // The copy a line list hands out: the line's data and its children (copied the same way),
    // without the per-list display state (childIndex, selection, click and mode marks).
    OOHomeNodeModel copy() const;
    OOHomeNodeModel mutableCopy() const { return copy(); }

    // Writes the line under "kProxyLineInfo" and synchronises the defaults; false when the
    // defaults could not be written.
    [[nodiscard]] bool storeAsProxyLine() const;
    // The line under "kProxyLineInfo": when the key holds text, that text decoded (nothing when it
    // does not decode, the empty text included); when the key is absent or not text, the first of
    // `fallbackLines`, or nothing when that list is empty.
    static std::optional<OOHomeNodeModel> cachedLine(const QList<OOHomeNodeModel> &fallbackLines = {});

    bool operator==(const OOHomeNodeModel &other) const;
    bool operator!=(const OOHomeNodeModel &other) const { return !(*this == other); }
};
