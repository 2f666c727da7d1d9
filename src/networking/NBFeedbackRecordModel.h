#pragma once

#include <QJsonObject>
#include <QString>

#include <functional>
#include <optional>

#include "networking/JsonRecordCodec.h"

// One entry of a feedback conversation ("record"). Every field optional.
class NBFeedbackRecordModel : public JsonRecord<NBFeedbackRecordModel>
{
public:
    // The declared keys, each once (fromJson and toJson come from it).
    static const JsonRecordCodec<NBFeedbackRecordModel> &codec();
    bool isWrittenByUser() const { return userType.value_or(-1) == 0; }

    // Height of the conversation row: 14 + 62 around the entry, plus the text when there is any
    // and a picture row when there is a picture. Text measuring needs fonts, which this layer
    // does not link: the screen passes the bounding height of a text laid out at
    // kContentTextWidth in kContentFontFamily, kContentFontPixelSize (unlimited height).
    qreal rowHeight(const std::function<qreal(const QString &)> &contentTextHeight) const;

    static constexpr qreal kRowBase = 62;
    static constexpr qreal kTopMargin = 14;
    static constexpr qreal kPictureHeight = 85;
    static constexpr int kContentTextWidth = 284;
    static constexpr int kContentFontPixelSize = 12;
    static constexpr const char *kContentFontFamily = "PingFangSC-Regular";

    std::optional<QString> content;
    std::optional<QString> createTime;
    std::optional<qint64> id;
    std::optional<QString> imageUrl;
    std::optional<qint64> userId;
    std::optional<qint64> userType;   // 0 = written by the user
    std::optional<QString> username;
};
