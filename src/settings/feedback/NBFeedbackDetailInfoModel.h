#pragma once

#include <functional>
#include <optional>

#include "networking/NBFeedbackListModel.h"

// The feedback itself at the head of its conversation: the list record with the height of its
// first row.
class NBFeedbackDetailInfoModel : public NBFeedbackListModel
{
public:
    static std::optional<NBFeedbackDetailInfoModel> fromJson(const QJsonObject &json);

    // "反馈内容：\n" and the content, measured at the bubble's text width, + 14, + 88 with a
    // picture, + 62. `measure` gives the bounding height of a text at kTextWidth.
    qreal infoRowHeight(const std::function<qreal(const QString &)> &measure) const;
    static QString infoPrefix() { return QStringLiteral("反馈内容：\n"); }

    // The width the bubble's text is laid out at: the bubble (row - 82) less 17 on each side.
    // Rows measured wider than they draw would let a long text run into the time under it.
    static constexpr int kTextWidth = 366 - 82 - 34;
};
