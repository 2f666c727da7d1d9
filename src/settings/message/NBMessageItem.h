#pragma once

#include <QString>
#include "settings/ClickableRow.h"

#include "networking/NBMessageListModel.h"

class QLabel;

// One row of the message centre (80 high, 362 wide): the kind's icon with a red dot while the
// message is unread, the title and time on one line, two lines of the text under them.
class NBMessageItem : public ClickableRow
{
    Q_OBJECT
public:
    // What a row shows of its message, without drawing.
    struct Content
    {
        QString title;
        QString desc;
        QString time;
        QString iconName;
        bool redDot = true;
    };
    static Content rowContent(const NBMessageListModel &model);

    explicit NBMessageItem(QWidget *parent = nullptr);

    void configure(const NBMessageListModel &model);
    void setSelected(bool selected);
    bool isSelected() const { return m_selected; }
    QString iconName() const { return m_iconName; }
    // The whole title (the label shows it cut to its width).
    QString title() const { return m_title; }

    QWidget *contentView() const { return m_contentView; }
    QLabel *iconImgView() const { return m_iconImgView; }
    QLabel *redDot() const { return m_redDot; }
    QLabel *titleLab() const { return m_titleLab; }
    QLabel *timeLab() const { return m_timeLab; }
    QLabel *descLab() const { return m_descLab; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void layoutLabels();

    QWidget *m_contentView = nullptr;
    QLabel *m_iconImgView = nullptr;
    QLabel *m_redDot = nullptr;
    QLabel *m_titleLab = nullptr;
    QLabel *m_timeLab = nullptr;
    QLabel *m_descLab = nullptr;
    QString m_title;
    QString m_desc;
    QString m_iconName;
    bool m_selected = false;
};
