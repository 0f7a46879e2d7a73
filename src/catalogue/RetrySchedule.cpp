#include "catalogue/RetrySchedule.h"

#include <algorithm>

int RetrySchedule::failed()
{
    // 500 ms doubled per failure; past seven doublings it is the cap anyway.
    const int doublings = std::min(m_failures, 7);
    ++m_failures;
    const int ceiling = std::min(kFirstWaitMs << doublings, kLongestWaitMs);
    std::uniform_int_distribution<int> draw(ceiling - ceiling / 4, ceiling);
    return draw(m_random);
}
