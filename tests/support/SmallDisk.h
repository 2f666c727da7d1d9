#pragma once

#include <QString>

#include <optional>
#include <string>

// A real full disk for a test: a small tmpfs mounted over a folder of the test's, which the test
// fills to the last byte and empties again. Writes there fail as on a user's full disk, with the
// system's own reason (ENOSPC, "No space left on device"), at the write or at the flush.
//
// Mounting needs a mount namespace of the program's own, so that nothing it mounts is seen outside
// it and everything goes with the program. Before main, while the program has one thread, the
// program moves into one: as root (or inside the user namespace a move into a network of its own
// made first, support/OwnNetwork.h) a plain one; otherwise inside a user namespace of its own,
// where the kernel allows that. Either way propagation is made private, so a mount never reaches
// the machine's namespace. A child tries the whole move first, mount included, and the program
// moves only after the child's worked; otherwise it stays where it is and its full-disk cases skip.
//
// Only programs that use SmallDisk move: this file's object is linked only when a test names it.
//
//     SmallDisk disk(folder);                  // made when missing, mounted over
//     if (const auto why = disk.unavailable())
//         GTEST_SKIP() << *why;                // a namespace is the machine's to give
//     ASSERT_TRUE(disk.fill());                // every byte taken
//     ... a write fails ...
//     disk.makeRoom();                         // the space comes back
class SmallDisk
{
public:
    static constexpr qint64 kDefaultBytes = 64 * 1024;

    // Mounts a fresh, empty tmpfs of `bytes` over `folder`, owner-only.
    explicit SmallDisk(const QString &folder, qint64 bytes = kDefaultBytes);
    // Unmounts it (what was written there goes with it).
    ~SmallDisk();
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

    // Why the disk is not there: the text of a skip for want of a namespace
    // (support/WantedSkip.h), or a failure of the case where the namespace was had and the mount
    // still failed. Nothing when it is mounted.
    std::optional<std::string> unavailable() const;

    // Takes every free byte with a filler file of its own; false (with the reason in the case's
    // failure) when the disk did not end full.
    [[nodiscard]] bool fill();
    // Removes the filler: the space is back.
    void makeRoom();

    QString folder() const { return m_folder; }

private:
    QString m_folder;
    bool m_mounted = false;
    std::optional<std::string> m_unavailable;
};
