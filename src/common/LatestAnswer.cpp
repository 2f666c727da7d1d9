#include "common/LatestAnswer.h"

#include <algorithm>

quint64 LatestAnswer::ask()
{
    return ++m_asked;
}

bool LatestAnswer::stale(quint64 request) const
{
    return request < m_taken;
}

void LatestAnswer::taken(quint64 request)
{
    // Callers ask stale() first; a number below the bar never lowers it all the same.
    m_taken = std::max(m_taken, request);
}
