#pragma once

#include "settings/ClickableRow.h"

class QLabel;

// A picker row: the choice's name at the left and the check mark at the right when it is the
// current choice.
class NBLanguageCell : public ClickableRow
{
    Q_OBJECT
public:
    explicit NBLanguageCell(QWidget *parent = nullptr);

    QLabel *titleLab() const { return m_titleLab; }
    QLabel *arrowImgView() const { return m_arrowImgView; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QLabel *m_titleLab = nullptr;
    QLabel *m_arrowImgView = nullptr;
};
