// Stores a signed-in user in the profile HOME points at, so the client starts into its main
// window as a returning user would.
#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

#include "common/MKUserInfoManager.h"

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QJsonObject data = QJsonDocument::fromJson(
        R"({"user": {"id": 7, "api_token": "bench-startup-token", "region_code": "", "username": "bench"}})").object();
    if (!MKUserInfoManager::shared().saveUser(data)) {
        std::fprintf(stderr, "bench_startup_profile: could not store the user\n");
        return 1;
    }
    return 0;
}
