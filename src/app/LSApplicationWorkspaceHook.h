#pragma once

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
