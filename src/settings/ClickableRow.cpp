#include "settings/ClickableRow.h"

ClickableRow::ClickableRow(QWidget *parent, PressClick::ActsOn actsOn)
    : QWidget(parent)
{
    PressClick::attach(this, actsOn, [this] { Q_EMIT clicked(); });
}
