#pragma once

#include <QString>

#include <optional>

// Whether the program may read the user's private files. Linux puts no system gate in front of a
// user's own files, so the answer is whether the home folder can be listed: access when it can,
// no access when it exists and cannot, cannot tell when there is none. There is no settings pane
// to open; the interface stays so the picture pickers ask as they would elsewhere.
class NBFullDiskAccessManager
{
public:
    enum Status : unsigned { CannotTell = 0, NoAccess = 1, Access = 2 };

    static QString getUserHomePath();
    static unsigned getFullDiskAuthorationStatus();
    static void openFullDiskAuthPrefreence();

    // Lets a test play a system that refuses (or cannot tell); nullopt restores the real answer.
    static void setStatusForTesting(std::optional<unsigned> status);
    static int settingsPaneOpenCountForTesting();

private:
    NBFullDiskAccessManager() = delete;
};
