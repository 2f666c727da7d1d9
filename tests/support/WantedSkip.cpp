#include "support/WantedSkip.h"

#include <QByteArray>
#include <QtGlobal>

#include <gtest/gtest.h>

#include <atomic>

namespace {

std::atomic<bool> g_skipped = false;

const char *requiringVariable(WantedSkip::Want want)
{
    switch (want) {
    case WantedSkip::Want::Tool:
        return "OSTREL_TEST_TOOLS_REQUIRED";
    case WantedSkip::Want::Listener:
        return "OSTREL_TEST_LISTENER_REQUIRED";
    case WantedSkip::Want::Namespace:
        break;
    }
    return nullptr;
}

} // namespace

namespace WantedSkip {

bool required(Want want)
{
    const char *variable = requiringVariable(want);
    return variable && qgetenv(variable) == "1";
}

std::string skip(Want want, const std::string &reason)
{
    if (required(want)) {
        ADD_FAILURE() << "required here (" << requiringVariable(want) << "=1): " << reason;
        return reason;
    }
    g_skipped = true;
    return reason;
}

bool anySkipped()
{
    return g_skipped;
}

} // namespace WantedSkip
