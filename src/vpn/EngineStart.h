#pragma once

#include <QString>

// What an engine start needs: the "sslocal.conf" to run, and the TUN switch as the connection
// read it (it holds for the whole connection). An empty path is a start without parameters.
struct EngineStart
{
    QString configPath;
    bool tunOn = false;
};
