#pragma once

#include "platform/Controls.h"

#include <QLineEdit>

#include <array>

// The row along the bottom edge of the screen: picture buttons, the product
// logo and the connection indicator over a background strip, plus the hidden
// pictures other controls borrow theirs from. The credit label `whoWeAre`
// belongs to the main window.
class ControlBar {
public:
    explicit ControlBar(QWidget *window);

    // Lays the bar out from the screen size (once, at start-up); the credit
    // label starts with `caption`.
    void Disegna_Barra2(platform::Label *whoWeAre, platform::Vb<QLineEdit> *timerflag,
                        float ratioXY, const QString &caption);
    // Its geometry alone, again when the window's size has changed.
    void placeBar(platform::Label *whoWeAre, platform::Vb<QLineEdit> *timerflag, float ratioXY);
    // Hides the bar, remembering what was visible; Esponi_Barra restores it.
    // There is one memory: a second hide forgets the first.
    void Nascondi_Barra(platform::Label *whoWeAre, platform::Label *lCountDown);
    void Esponi_Barra(platform::Label *whoWeAre, platform::Label *lCountDown);

    // While pictures load the wait button stands where setup does, and back;
    // help shows beside setup only.
    void showWaitButton();
    void showSetupButton();

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

private:
    std::array<QWidget *, 10> barControls(platform::Label *whoWeAre, platform::Label *lCountDown) const;
    std::array<bool, 10> m_savedVisibility{};
};
