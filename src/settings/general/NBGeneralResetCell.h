#pragma once

#include "settings/ClickableRow.h"

class QLabel;

// The general-settings row that asks to reset every general setting: its name only.
class NBGeneralResetCell : public ClickableRow
{
    Q_OBJECT
public:
    explicit NBGeneralResetCell(QWidget *parent = nullptr);

    QLabel *nameText() const { return m_nameText; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QLabel *m_nameText = nullptr;
};
