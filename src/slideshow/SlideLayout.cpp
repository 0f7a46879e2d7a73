#include "slideshow/SlideLayout.h"

#include "platform/Units.h"

namespace slideshow {

using platform::units::himetricToTwips;
using platform::units::roundHalfEven;
using platform::units::twipsToHimetric;

namespace {

// a * b / c of whole numbers, rounded once at the end.
long long scaled(long long a, long long b, long long c)
{
    if (c == 0)
        return 0;
    return roundHalfEven(static_cast<double>(a) * static_cast<double>(b) / static_cast<double>(c));
}

long long half(long long v) { return roundHalfEven(v / 2.0); }

} // namespace

SlideBox normalLayout(double windowWidthTwips, double windowHeightTwips, double pictureWidthHimetric,
                      double pictureHeightHimetric)
{
    const long long windowW = roundHalfEven(twipsToHimetric(windowWidthTwips));
    const long long windowH = roundHalfEven(twipsToHimetric(windowHeightTwips));
    const long long picW = roundHalfEven(pictureWidthHimetric);
    const long long picH = roundHalfEven(pictureHeightHimetric);
    SlideBox box;
    box.left = static_cast<double>(roundHalfEven(himetricToTwips(half(windowW) - half(picW))));
    box.top = static_cast<double>(roundHalfEven(himetricToTwips(half(windowH) - half(picH))));
    box.width = static_cast<double>(roundHalfEven(himetricToTwips(picW)));
    box.height = static_cast<double>(roundHalfEven(himetricToTwips(picH)));
    return box;
}

FullScreenTarget fullScreenTarget(long long AW, long long AH, long long PW, long long PH)
{
    long long W = 0;
    long long H = 0;
    const bool wider = PW > AW;
    const bool higher = PH > AH;
    if (higher && wider && PW > PH) {
        W = AW;
        H = scaled(AH, PH, PW);
    } else if (higher && wider) {
        W = scaled(AW, PW, PH);
        H = AH;
    } else if (wider) {
        W = AW;
        H = scaled(AH, PH, PW);
    } else if (higher) {
        W = scaled(AW, PW, PH);
        H = AH;
    } else if ((AW - PW) < (AH - PH)) {
        W = AW;
        H = scaled(PH, AW, PW);
    } else {
        W = scaled(PW, AH, PH);
        H = AH;
    }

    // A box that still overflows is cut to the available size, less a
    // reduction of its overflow ratio taken as a percentage.
    if (W > AW && AW > 0) {
        H = roundHalfEven(H - H * (static_cast<double>(W) / AW) / 100.0);
        W = AW;
    } else if (H > AH && AH > 0) {
        W = roundHalfEven(W - W * (static_cast<double>(H) / AH) / 100.0);
        H = AH;
    }
    return {AW, AH, W, H};
}

SlideBox fullScreenLayout(double screenWidthTwips, double screenHeightTwips, double creditHeightTwips,
                          double pictureWidthHimetric, double pictureHeightHimetric)
{
    const long long AW = roundHalfEven(twipsToHimetric(screenWidthTwips));
    const long long AH = roundHalfEven(twipsToHimetric(screenHeightTwips - creditHeightTwips));
    const FullScreenTarget t = fullScreenTarget(AW, AH, roundHalfEven(pictureWidthHimetric),
                                                roundHalfEven(pictureHeightHimetric));
    SlideBox box;
    if (t.width == AW) {
        box.left = 0;
        box.top = static_cast<double>(roundHalfEven(himetricToTwips(AH / 2.0 - t.height / 2.0)));
    } else {
        box.left = static_cast<double>(roundHalfEven(himetricToTwips(AW / 2.0 - t.width / 2.0)));
        box.top = 0;
    }
    box.width = static_cast<double>(roundHalfEven(himetricToTwips(static_cast<double>(t.width))));
    box.height = static_cast<double>(roundHalfEven(himetricToTwips(static_cast<double>(t.height))));
    return box;
}

} // namespace slideshow
