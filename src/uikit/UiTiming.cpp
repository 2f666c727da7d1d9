#include "uikit/UiTiming.h"

#include <QtGlobal>

#include <cmath>

namespace {
double g_scale = 1.0;
bool g_delaysHeld = false;
}

double UiTiming::scale()
{
    return g_scale;
}

void UiTiming::setScale(double scale)
{
    g_scale = (scale < 0 || !std::isfinite(scale)) ? 1.0 : scale;
}

int UiTiming::ms(int programMs)
{
    if (programMs <= 0 || g_scale == 0)
        return 0;
    // A scaled step never rounds down to 0: a looping animation of length 0 would spin.
    return qMax(1, int(std::lround(programMs * g_scale)));
}

bool UiTiming::delaysHeld()
{
    return g_delaysHeld;
}

void UiTiming::setDelaysHeld(bool held)
{
    g_delaysHeld = held;
}

UiTimingScope::UiTimingScope(double scale, bool delaysHeld)
    : m_previousScale(UiTiming::scale())
    , m_previousHeld(UiTiming::delaysHeld())
{
    UiTiming::setScale(scale);
    UiTiming::setDelaysHeld(delaysHeld);
}

UiTimingScope::~UiTimingScope()
{
    UiTiming::setScale(m_previousScale);
    UiTiming::setDelaysHeld(m_previousHeld);
}
