#include "slideshow/ControlBar.h"

#include "slideshow/BarLayout.h"
#include "platform/ImageFormats.h"
#include "platform/Screen.h"

#include <QPixmap>

namespace {

platform::Image *picture(const QString &name, QWidget *parent, const char *resource)
{
    auto *w = new platform::Image(name, parent);
    w->setPixmap(platform::artworkPixmap(QString::fromLatin1(resource)));
    w->setScaledContents(true);
    return w;
}

platform::Image *hidden(const QString &name, QWidget *parent, const char *resource)
{
    platform::Image *w = picture(name, parent, resource);
    w->hide();
    return w;
}

} // namespace

ControlBar::ControlBar(QWidget *window)
{
    BackWhoWeAre = new platform::Label(QStringLiteral("BackWhoWeAre"), window);
    BackWhoWeAre->setBackColor(platform::vbRGB(16, 22, 38));
    btSetup = picture(QStringLiteral("btSetup"), window, ":/art/setup.png");
    btWait = picture(QStringLiteral("btWait"), window, ":/art/wait.png");
    btTermina = picture(QStringLiteral("btTermina"), window, ":/art/quit.png");
    btHelp = picture(QStringLiteral("btHelp"), window, ":/art/help.png");
    BtAnimation = picture(QStringLiteral("BtAnimation"), window, ":/art/animation.png");
    BtCleanup = picture(QStringLiteral("BtCleanup"), window, ":/art/cleanup.png");
    btLogo = picture(QStringLiteral("btLogo"), window, ":/art/logo.png");
    connectStatus = picture(QStringLiteral("connectStatus"), window, ":/art/disconnected.png");
    for (platform::Image *button : {btSetup, btWait, btTermina, btHelp, BtCleanup})
        button->setCursor(Qt::PointingHandCursor);

    ImageConnesso = hidden(QStringLiteral("ImageConnesso"), window, ":/art/connected.png");
    ImageDisconnesso = hidden(QStringLiteral("ImageDisconnesso"), window, ":/art/disconnected.png");
    btLogoPORTABLE = hidden(QStringLiteral("btLogoPORTABLE"), window, ":/art/logo_portable.png");
    // The start-up picture is drawn by the slideshow itself (from its file
    // bytes); this control never shows, so it keeps no 5.5 MB copy of it.
    ImageLogoPortable = new platform::Image(QStringLiteral("ImageLogoPortable"), window);
    ImageLogoPortable->hide();
}

void ControlBar::showWaitButton()
{
    btSetup->hide();
    btWait->show();
    btHelp->setVisible(!btSetup->isHidden());
}

void ControlBar::showSetupButton()
{
    btSetup->show();
    btWait->hide();
    btHelp->setVisible(!btSetup->isHidden());
}

void ControlBar::Disegna_Barra2(platform::Label *whoWeAre, platform::Vb<QLineEdit> *timerflag,
                                float ratioXY, const QString &caption)
{
    placeBar(whoWeAre, timerflag, ratioXY);
    whoWeAre->setText(caption);

    btSetup->setEnabled(false);
    for (QWidget *w : {static_cast<QWidget *>(btSetup), static_cast<QWidget *>(btWait),
                       static_cast<QWidget *>(btTermina), static_cast<QWidget *>(BtCleanup),
                       static_cast<QWidget *>(btHelp), static_cast<QWidget *>(btLogo)})
        w->raise();
}

void ControlBar::placeBar(platform::Label *whoWeAre, platform::Vb<QLineEdit> *timerflag, float ratioXY)
{
    const slideshow::BarLayout b = slideshow::computeBarLayout(
        static_cast<float>(platform::Screen::widthTwips()),
        static_cast<float>(platform::Screen::heightTwips()), ratioXY,
        slideshow::barMinimumsFor(platform::Screen::twipsPerPixelX()));
    const auto put = [](auto *w, const slideshow::BarRect &r) { w->Move(r.left, r.top, r.width, r.height); };

    BackWhoWeAre->setLeft(0);
    BackWhoWeAre->setHeight(b.background.height);
    BackWhoWeAre->setTop(b.background.top);
    if (BackWhoWeAre->Width() < static_cast<float>(platform::Screen::widthTwips()))
        BackWhoWeAre->setWidth(static_cast<float>(platform::Screen::widthTwips()));
    BackWhoWeAre->lower();

    put(btSetup, b.setup);
    put(btWait, b.setup);
    put(btTermina, b.quit);
    put(btHelp, b.quit);
    put(BtAnimation, b.animation);
    put(BtCleanup, b.animation);
    put(whoWeAre, b.credit);
    put(btLogo, b.logo);
    put(connectStatus, b.connection);

    timerflag->setTop(b.timerflagTop);
    timerflag->setLeft(0);
    timerflag->raise();

    QFont font = whoWeAre->font();
    if (b.creditFontPoints > 0)
        font.setPointSizeF(b.creditFontPoints);
    whoWeAre->setFont(font);
    // Where the bar is taller than its text (the touch size on a small
    // screen) a long credit line takes a second line rather than being cut.
    whoWeAre->setWordWrap(whoWeAre->height() >= 2 * whoWeAre->fontMetrics().lineSpacing());
    // The animation and clean-up pictures lie over the credit label's left
    // end; its text starts right of them so no letter is hidden.
    whoWeAre->setIndent(BtAnimation->width() + whoWeAre->fontMetrics().averageCharWidth());
}

std::array<QWidget *, 10> ControlBar::barControls(platform::Label *whoWeAre,
                                                  platform::Label *lCountDown) const
{
    return {BackWhoWeAre, btSetup, btTermina, BtAnimation, btHelp,
            btLogo,       connectStatus, whoWeAre, btWait, lCountDown};
}

void ControlBar::Nascondi_Barra(platform::Label *whoWeAre, platform::Label *lCountDown)
{
    const auto controls = barControls(whoWeAre, lCountDown);
    for (std::size_t i = 0; i < controls.size(); ++i)
        m_savedVisibility[i] = !controls[i]->isHidden();
    for (QWidget *w : controls)
        w->hide();
}

void ControlBar::Esponi_Barra(platform::Label *whoWeAre, platform::Label *lCountDown)
{
    const auto controls = barControls(whoWeAre, lCountDown);
    for (std::size_t i = 0; i < controls.size(); ++i)
        controls[i]->setVisible(m_savedVisibility[i]);
}
