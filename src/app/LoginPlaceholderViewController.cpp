#include "app/LoginPlaceholderViewController.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "uikit/NSFontHelper.h"

LoginPlaceholderViewController::LoginPlaceholderViewController(QWidget *parent)
    : NBBaseViewController(parent)
{
    resize(800, 500);
}

void LoginPlaceholderViewController::viewDidLoad()
{
    NBBaseViewController::viewDidLoad();
    auto *label = new QLabel(QStringLiteral("NBLoginViewCOntroller"), this);
    label->setFont(NSFontHelper::getRegularPingFangFont(14));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(222, 228, 244));
    label->setPalette(palette);
    label->setAlignment(Qt::AlignCenter);
    label->setGeometry(0, 200, width(), 40);
    auto *back = new QPushButton(QStringLiteral("返回"), this);
    back->setFont(NSFontHelper::getRegularPingFangFont(12));
    back->setGeometry(23, 20, 60, 30);
    connect(back, &QPushButton::clicked, this, &NBBaseViewController::dismissController);
}

void LoginPlaceholderViewController::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(23, 17, 43));
}
