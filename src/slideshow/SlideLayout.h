#pragma once

// Where a slide goes on the screen. Pure arithmetic: pictures are measured in
// HIMETRIC, the window in twips, and every conversion rounds halves to even,
// so the numbers can be checked without a display.
namespace slideshow {

struct SlideBox {
    double left = 0;     // twips
    double top = 0;
    double width = 0;    // full screen only: the picture is stretched to this box
    double height = 0;
};

// Natural size, centred in the window; a picture larger than the window gets
// a negative left or top and is cut off at the edges.
SlideBox normalLayout(double windowWidthTwips, double windowHeightTwips, double pictureWidthHimetric,
                      double pictureHeightHimetric);

// Fits the picture into the area above the credit label (screen height minus
// the label's height) keeping its proportions, then centres it along the side
// that does not touch.
SlideBox fullScreenLayout(double screenWidthTwips, double screenHeightTwips, double creditHeightTwips,
                          double pictureWidthHimetric, double pictureHeightHimetric);

// The same computation in HIMETRIC before the placement is converted; kept
// apart so the table's intermediate values can be checked.
struct FullScreenTarget {
    long long availableWidth = 0;    // AW
    long long availableHeight = 0;   // AH
    long long width = 0;             // W after the correction
    long long height = 0;            // H after the correction
};
FullScreenTarget fullScreenTarget(long long availableWidth, long long availableHeight,
                                  long long pictureWidth, long long pictureHeight);

} // namespace slideshow
