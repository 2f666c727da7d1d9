#pragma once

#include "login/rows/NBSettingCellItem.h"

#include <QWidget>

#include <functional>

class QLabel;
class RoundedPanel;

// A row that leads somewhere: a title on the left, a short text and an arrow on the right. A
// click on it is reported with clicked() (the list decides what it opens).
class NBSettingPushRowView : public QWidget
{
    Q_OBJECT
public:
    explicit NBSettingPushRowView(QWidget *parent = nullptr);

    // Kept for the row family's common shape; this row has no copy icon.
    std::function<void()> copyBlock;

    RoundedPanel *contentView() const { return m_contentView; }
    QLabel *titleLabel() const { return m_titleLabel; }
    QLabel *subTitleLabel() const { return m_subTitleLabel; }
    QLabel *arrowImageView() const { return m_arrowImageView; }
    QWidget *lineView() const { return m_lineView; }

    void showItem(const NBSettingCellItem &item);
    void configure(const NBSettingCellItem &item) { showItem(item); }

Q_SIGNALS:
    void clicked();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void layoutParts();

    RoundedPanel *m_contentView = nullptr;
    QLabel *m_titleLabel = nullptr;
    QLabel *m_subTitleLabel = nullptr;
    QLabel *m_arrowImageView = nullptr;
    QWidget *m_lineView = nullptr;
    bool m_pressed = false;
};
