#include "login/unreached/NBHavaAccountView.h"

NBHavaAccountView::NBHavaAccountView(QWidget *parent)
    : QWidget(parent)
{
}
