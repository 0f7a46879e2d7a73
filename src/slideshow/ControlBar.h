#pragma once

#include "platform/Controls.h"

// The row along the bottom edge of the screen: picture buttons, the product
// logo and the connection indicator over a background strip, plus the hidden
// pictures other controls borrow theirs from. The credit label `whoWeAre`
// belongs to the main window.
class ControlBar {
public:
    explicit ControlBar(QWidget *window);

    platform::Label *BackWhoWeAre;
    platform::Image *btSetup;
    platform::Image *btWait;
    platform::Image *btTermina;
    platform::Image *btHelp;
    platform::Image *BtAnimation;
    platform::Image *BtCleanup;
    platform::Image *btLogo;
    platform::Image *connectStatus;

    // Hidden holders of pictures shown elsewhere.
    platform::Image *ImageConnesso;
    platform::Image *ImageDisconnesso;
    platform::Image *btLogoPORTABLE;
    platform::Image *ImageLogoPortable;
};
