#pragma once

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <memory>

// Every fuzz target runs in a private temporary profile with an application object, as the
// program does. Both live until the process ends: libFuzzer exits through exit(), after which
// Qt's own statics are gone and destroying them would crash.
inline QString setUpFuzzProfile(char *program)
{
    // In memory where the system offers it: some targets write files on every input.
    const bool inMemory = QFileInfo(QStringLiteral("/dev/shm")).isWritable();
    static std::unique_ptr<QTemporaryDir> profile =
        inMemory ? std::make_unique<QTemporaryDir>(QStringLiteral("/dev/shm/ostrel-fuzz-XXXXXX"))
                 : std::make_unique<QTemporaryDir>();
    qputenv("HOME", profile->path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (profile->path() + QStringLiteral("/config")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (profile->path() + QStringLiteral("/cache")).toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", (profile->path() + QStringLiteral("/run")).toLocal8Bit());
    qputenv("QT_LOGGING_RULES", "*.debug=false;*.warning=false");
    static int appArgc = 1;
    static char *appArgv[] = {program, nullptr};
    [[maybe_unused]] static QCoreApplication *app = new QCoreApplication(appArgc, appArgv);
    return profile->path();
}

// A property the code promises did not hold: report it as a crash with the reason.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
