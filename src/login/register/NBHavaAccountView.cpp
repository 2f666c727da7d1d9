#include "login/register/NBHavaAccountView.h"

NBHavaAccountView::NBHavaAccountView(QWidget *parent)
    : QWidget(parent)
{
}
