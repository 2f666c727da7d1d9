#pragma once

// Nothing in the client calls this yet; it is kept as the one way to open settings elsewhere.
// Openers for another program's settings and for the system settings. Linux has no common
// settings address to open, so both only note that nothing was opened.
class LSApplicationWorkspaceHook
{
public:
    static bool openTessmarSet();
    static bool openSystemSet();

private:
    LSApplicationWorkspaceHook() = delete;
};
