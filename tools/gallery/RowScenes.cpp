// Pictures of the small rows no screen places yet: the settings cell and the switch-account row
// on a list's dark ground, and the account forms' code row with its own button and plain row.
#include "GalleryScene.h"

#include <QLineEdit>

#include "login/unreached/NBLoginTimerView.h"
#include "login/unreached/NBAccountTextView.h"
#include "settings/unreached/NBSettingCell.h"
#include "settings/unreached/NBSettingSwitchView.h"
#include "uikit/NBCustomTextField.h"
#include "uikit/RoundedPanel.h"

OSTREL_GALLERY_SCENE("settings/setting_rows", 360, 137)
{
    auto *list = new RoundedPanel(QColor(12, 26, 38));
    auto *cell = new NBSettingCell(list);
    cell->setGeometry(0, 0, 360, 60);
    auto *switchRow = new NBSettingSwitchView(list);
    switchRow->setGeometry(0, 60, 360, 77);
    return list;
}

OSTREL_GALLERY_SCENE("register/plain_rows", 375, 100)
{
    auto *form = new RoundedPanel(QColor(12, 26, 38));
    auto *strip = new RoundedPanel(QColor(34, 33, 35), 20, form);
    strip->setGeometry(18, 5, 339, 40);
    auto *timer = new NBLoginTimerView(strip);
    timer->setGeometry(strip->rect());
    timer->textField()->setPlaceholderText(QStringLiteral("请输入验证码"));
    auto *plain = new NBAccountTextView(form);
    plain->setGeometry(18, 55, 339, 40);
    plain->textField()->setText(QStringLiteral("someone@example.com"));
    plain->textField()->setFrame(false);
    return form;
}
