#pragma once

#include <QString>

// The application's version texts: the marketing version ("3.2.0", from the project version) and
// the build number.
class OOAppinfoHelper
{
public:
    static QString getAppVersion();
    static QString getBuildVersion();

private:
    OOAppinfoHelper() = delete;
};
