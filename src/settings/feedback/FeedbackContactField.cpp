#include "settings/feedback/FeedbackContactField.h"

#include "uikit/NBCustomTextField.h"
#include "uikit/NSFontHelper.h"

NBCustomTextField *FeedbackContactField::create(QWidget *panel)
{
    auto *field = new NBCustomTextField(panel);
    field->setFont(NSFontHelper::getRegularPingFangFont(12));
    field->setPlaceholderText(QStringLiteral("为顺利解决问题，请提供联系方式（手机/邮箱/微信号)"));
    QPalette palette = field->palette();
    palette.setColor(QPalette::PlaceholderText, QColor(255, 255, 255, 77));
    palette.setColor(QPalette::Text, Qt::white);
    field->setPalette(palette);
    field->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; border: none; color: white; }"));
    return field;
}
