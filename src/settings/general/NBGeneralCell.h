#pragma once

#include "settings/ClickableRow.h"

class QLabel;
class RoundedPanel;

// A general-settings row that opens a picker: a rounded box with the name at the left and the
// current value beside the arrow at the right.
class NBGeneralCell : public ClickableRow
{
    Q_OBJECT
public:
    explicit NBGeneralCell(QWidget *parent = nullptr);

    RoundedPanel *contentView() const { return m_contentView; }
    QLabel *nameText() const { return m_nameText; }
    QLabel *subNameText() const { return m_subNameText; }
    QLabel *arrowImgView() const { return m_arrowImgView; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    RoundedPanel *m_contentView = nullptr;
    QLabel *m_nameText = nullptr;
    QLabel *m_subNameText = nullptr;
    QLabel *m_arrowImgView = nullptr;
};
