#include "acquisition/SlideTime.h"

#include <algorithm>
#include <cmath>

namespace acquisition {

double leadingNumber(const QString &text)
{
    // Leading blanks, an optional sign, digits with one decimal point.
    int i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    const int start = i;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    bool digits = false;
    bool point = false;
    while (i < text.size()) {
        if (text[i].isDigit() && text[i].unicode() < 128) {
            digits = true;
        } else if (text[i] == u'.' && !point) {
            point = true;
        } else {
            break;
        }
        ++i;
    }
    if (!digits)
        return 0;
    return text.mid(start, i - start).toDouble();
}

int slideIntervalMs(double slideSeconds)
{
    const double ms = std::round(slideSeconds * 1000.0);
    if (!(ms > 0))
        return 0;
    return static_cast<int>(std::min<double>(ms, kMaxTimerInterval));
}

} // namespace acquisition
