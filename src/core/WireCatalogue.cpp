#include "core/FormPicture.h"

#include "acquisition/SlideSetBuilder.h"
#include "catalogue/Catalogue.h"
#include "diagnostics/Diagnostics.h"
#include "panel/ConnectionFrame.h"
#include "panel/SetupPanel.h"
#include "settings/LanguageFiles.h"
#include "settings/ProxyFiles.h"
#include "settings/TownFiles.h"
#include "slideshow/ControlBar.h"
#include "slideshow/Slideshow.h"

// What the catalogue shows and starts, done by the window's parts.
void FormPicture::wireCatalogue()
{
    catalogue->useSettingsFiles(*languageFiles, *proxyFiles, *townFiles);
    catalogue->useDiagnostics(*diagnostics);

    CatalogueHooks hooks;
    hooks.setStatusText = [this](const QString &text) { lCountDown->setText(text); };
    hooks.showStatus = [this] { lCountDown->show(); };
    hooks.hideStatus = [this] { lCountDown->hide(); };
    hooks.statusToFront = [this] { lCountDown->raise(); };
    hooks.showWaitingBar = [this] {
        bar->btSetup->hide();
        bar->btWait->show();
        bar->btHelp->hide();
        bar->btTermina->show();
        bar->BtCleanup->show();
        bar->BtAnimation->show();
    };
    hooks.showReadyBar = [this] {
        bar->btSetup->show();
        bar->btWait->hide();
        bar->btHelp->show();
        bar->btTermina->hide();
        bar->BtCleanup->hide();
    };
    hooks.showPortableLogo = [this] { bar->btLogo->setPixmap(bar->btLogoPORTABLE->pixmap()); };
    hooks.showConnectionState = [this](bool connected) {
        // Asked twice a second: the icon is drawn again only when it changes
        // or something was raised over it, so a still slide costs no repaint.
        platform::ClickLabel *icon = bar->connectStatus;
        const QPixmap shown = connected ? bar->ImageConnesso->pixmap() : bar->ImageDisconnesso->pixmap();
        if (icon->pixmap().cacheKey() != shown.cacheKey())
            icon->setPixmap(shown);
        if (!platform::isTopmostSibling(icon))
            icon->raise();
    };
    hooks.showLogoSlide = [this] { slideshow->ShowSlide(slides->logoPicture()); };
    hooks.buildSlideSet = [this](int mode) { return slides->BuildSlideSet(mode); };
    hooks.markProgramCurrent = [this] { whoWeAre->setBackColor(platform::vbRGB(64, 64, 64)); };
    hooks.showConnectionQuestion = [this] {
        Frame_Select_Connection->Move(SSTCfg->Left() - 20, SSTCfg->Top() + 800);
        Frame_Select_Connection->show();
        Frame_Select_Connection->raise();
    };
    hooks.keepConnectionQuestionUp = [this] {
        Frame_Select_Connection->raise();
        Frame_Select_Connection->show();
        lCountDown->raise();
    };
    hooks.hideConnectionQuestion = [this] { Frame_Select_Connection->hide(); };
    catalogue->setHooks(std::move(hooks));
}
