#pragma once

// Qt's QTRY_* macros report a failure to QtTest's own log and return, so under GoogleTest the
// case would pass however long the condition stayed false. Every test program gets these
// versions instead (forced in by tests/CMakeLists.txt): they wait the same way, spinning the
// event loop, and fail the GoogleTest case when the time runs out.

#include <QtTest/qtestcase.h>
#include <QtTest/qtestsystem.h>
#include <gtest/gtest.h>

#undef QTRY_VERIFY_WITH_TIMEOUT
#define QTRY_VERIFY_WITH_TIMEOUT(expr, timeout)                                                  \
    do {                                                                                         \
        if (!QTest::qWaitFor([&]() { return bool(expr); }, timeout)) {                           \
            ADD_FAILURE() << "timed out after " << (timeout) << " ms waiting for: " #expr;       \
            return;                                                                              \
        }                                                                                        \
    } while (false)

#undef QTRY_VERIFY
#define QTRY_VERIFY(expr) QTRY_VERIFY_WITH_TIMEOUT(expr, 5000)

#undef QTRY_COMPARE_WITH_TIMEOUT
#define QTRY_COMPARE_WITH_TIMEOUT(expr, expected, timeout)                                       \
    do {                                                                                         \
        if (!QTest::qWaitFor([&]() { return bool((expr) == (expected)); }, timeout)) {           \
            ADD_FAILURE() << "timed out after " << (timeout) << " ms waiting for: " #expr        \
                          << " == " #expected;                                                   \
            return;                                                                              \
        }                                                                                        \
    } while (false)

#undef QTRY_COMPARE
#define QTRY_COMPARE(expr, expected) QTRY_COMPARE_WITH_TIMEOUT(expr, expected, 5000)
