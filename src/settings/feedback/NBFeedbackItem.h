#pragma once

#include "settings/ClickableRow.h"

#include "networking/NBFeedbackListModel.h"

class QLabel;

// One row of the feedback list (80 high): the type as its title, the time as sent, two lines of
// the text, and a red dot while the service's answer is unread.
class NBFeedbackItem : public ClickableRow
{
    Q_OBJECT

public:
    explicit NBFeedbackItem(QWidget *parent = nullptr);

    void configure(const NBFeedbackListModel &model);
    void setSelected(bool selected);
    bool isSelected() const { return m_selected; }

    static QString titleForKind(const std::optional<qint64> &kind);

    QWidget *contentView() const { return m_contentView; }
    QLabel *iconImgView() const { return m_iconImgView; }
    QLabel *redDot() const { return m_redDot; }
    QLabel *titleLab() const { return m_titleLab; }
    QLabel *timeLab() const { return m_timeLab; }
    QLabel *descLab() const { return m_descLab; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QWidget *m_contentView = nullptr;
    QLabel *m_iconImgView = nullptr;
    QLabel *m_redDot = nullptr;
    QLabel *m_titleLab = nullptr;
    QLabel *m_timeLab = nullptr;
    QLabel *m_descLab = nullptr;
    QString m_description;   // the text before it is cut to two lines
    bool m_selected = false;
};
