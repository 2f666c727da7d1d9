#pragma once

// Nothing in the client calls this yet; it is kept for screens that pick a look by OS release.
class LMCommonHelper
{
public:
    // Callers asked this to choose a look for one system release; no release here needs it.
    static bool isMacOS11() { return false; }

private:
    LMCommonHelper() = delete;
};
