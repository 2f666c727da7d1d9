#pragma once

#include <QList>
#include <QWidget>

#include <optional>

#include "settings/feedback/NBFeedbackTypeModel.h"

class QLabel;
class NBFeedbackTypeItem;

// Row 0 of the feedback form: "选择反馈类型" and four type tiles, exactly one marked. The form
// reads `kind` when it sends.
class NBContactTypeView : public QWidget
{
    Q_OBJECT

public:
    explicit NBContactTypeView(QWidget *parent = nullptr);

    qint64 kind() const { return m_kind; }
    const QList<NBFeedbackTypeModel> &datas() const { return m_datas; }
    QLabel *titleLab() const { return m_titleLab; }
    QList<NBFeedbackTypeItem *> items() const { return m_items; }

    // The tile at `index` becomes the marked one (kind = index + 10); nothing for no index or
    // one outside the tiles.
    void selectItem(std::optional<int> index);
    // Back to the first type, as a new form starts.
    void reset();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void reloadData();

    qint64 m_kind = 10;
    QList<NBFeedbackTypeModel> m_datas;
    QLabel *m_titleLab = nullptr;
    QList<NBFeedbackTypeItem *> m_items;
};
