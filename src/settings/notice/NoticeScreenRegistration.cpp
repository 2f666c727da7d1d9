// The notice box under the name `--open notice` asks for (StartupOpenOption).
#include "settings/notice/NoticeStartupOpener.h"

namespace {
[[maybe_unused]] const bool g_noticeOpenerRegistered = (NoticeStartupOpener::registerName(), true);
}
