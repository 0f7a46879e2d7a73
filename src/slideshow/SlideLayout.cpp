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
    // Every row of the table fits the picture inside the free area with its
    // proportions kept: the side whose scale is the smaller one touches, the
    // other dimension is scaled from the picture's own ratio. (The table's
    // overflow rows scaled it from the available size in the same direction,
    // which squashed every picture larger than the area.)
    long long W = 0;
    long long H = 0;
    const bool wider = PW > AW;
    const bool higher = PH > AH;
    const auto byWidth = [&] { W = AW; H = scaled(AW, PH, PW); };
    const auto byHeight = [&] { W = scaled(AH, PW, PH); H = AH; };
    if (higher && wider && PW > PH)
        byWidth();
    else if (higher && wider)
        byHeight();
    else if (wider)
        byWidth();
    else if (higher)
        byHeight();
    else if ((AW - PW) < (AH - PH))
        byWidth();
    else
        byHeight();
    // The row's first choice overflows the other side: the other side leads.
    if (W == AW && H > AH)
        byHeight();
    else if (H == AH && W > AW)
        byWidth();

    // Kept as a last guard; with the fit above it only acts on degenerate
    // sizes (a picture or an area of zero).
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
