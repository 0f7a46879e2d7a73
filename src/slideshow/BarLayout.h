#pragma once

// The control bar's geometry, computed from the screen size alone so the bar
// keeps its look on any resolution and aspect ratio. All values are twips in
// single precision, before the platform rounds them to whole pixels.
namespace slideshow {

struct BarRect {
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;
};

struct BarLayout {
    float barHeight = 0;        // h: 4 % of the screen height
    float widthFactor = 0;      // k: 1 on a 16:10 screen
    BarRect background;         // BackWhoWeAre (width stays as designed)
    BarRect setup;              // btSetup and btWait
    BarRect quit;               // btTermina and btHelp
    BarRect animation;          // BtAnimation and BtCleanup
    BarRect credit;             // whoWeAre
    BarRect logo;               // btLogo
    BarRect connection;         // connectStatus
    float timerflagTop = 0;
    float creditFontPoints = 0;
};

// Button proportions of the window design, in design pixels.
inline constexpr float kSetupDesignWidth = 94;
inline constexpr float kLogoDesignWidth = 210;
inline constexpr float kDesignHeight = 32;

// What a person needs of the bar whatever the screen: a button a finger can
// hit and a credit line that can be read. Zero means no minimum.
struct BarMinimums {
    float touchTwips = 0;   // the buttons' smallest height and width
    float fontPoints = 0;   // the credit text's smallest size
};

// About 7 mm on a small touchscreen; 11 px of credit text.
inline constexpr float kMinTouchPixels = 40;
inline constexpr float kMinCreditFontPixels = 11;
BarMinimums barMinimumsFor(double twipsPerPixel);

// On a landscape screen the bar is the proportional one of the window design
// wherever that is at least the minimums; the credit text keeps the
// proportional size unless that is below its minimum. On a portrait screen it is laid out
// as on a 16:10 screen of the same width (k = 1), so the icons stay square and
// the credit line keeps its room beside the logo.
BarLayout computeBarLayout(float screenWidth, float screenHeight, float ratioXY, BarMinimums minimums = {});

} // namespace slideshow
