#include "app/SWBApplication.h"

SWBApplication::SWBApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
}
