#pragma once

#include "login/rows/NBSettingCellItem.h"

#include <QWidget>

#include <functional>

class NBClickImageView;
class QLabel;
class RoundedPanel;

// A value row of the account list: a title on the left and, on the right, a value read from the
// signed-in user (masked e-mail address or phone number, the user id with a copy icon, the
// membership status, one or two expiry lines). Clicks on the row select nothing; the copy icon
// still works.
class NBSettingShowRowView : public QWidget
{
    Q_OBJECT
public:
    explicit NBSettingShowRowView(QWidget *parent = nullptr);

    std::function<void()> copyBlock;

    NBClickImageView *copyView();
    RoundedPanel *contentView() const { return m_contentView; }
    QLabel *titleLabel() const { return m_titleLabel; }
    QLabel *subTitleLabel() const { return m_subTitleLabel; }
    QLabel *moreTitleLabel() const { return m_moreTitleLabel; }
    QWidget *lineView() const { return m_lineView; }

    // Fills the row from the record and the stored user.
    void showItem(const NBSettingCellItem &item);
    void configure(const NBSettingCellItem &item) { showItem(item); }
    void copyAction();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void layoutParts();

    NBClickImageView *m_copyView = nullptr;
    RoundedPanel *m_contentView = nullptr;
    QLabel *m_titleLabel = nullptr;
    QLabel *m_subTitleLabel = nullptr;
    QLabel *m_moreTitleLabel = nullptr;
    QWidget *m_lineView = nullptr;
    bool m_twoLines = false;
};
