// Not a test program: a client-side program a test starts, which prints the install folder it
// takes, as a client started by a test would.
#include <QCoreApplication>

#include <cstdio>

#include "common/AppPaths.h"

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    std::printf("%s\n", qPrintable(AppPaths::installFolder()));
    return 0;
}
