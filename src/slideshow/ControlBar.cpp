#include "slideshow/ControlBar.h"

#include <QPixmap>

namespace {

platform::Image *picture(const QString &name, QWidget *parent, const char *resource)
{
    auto *w = new platform::Image(name, parent);
    w->setPixmap(QPixmap(QString::fromLatin1(resource)));
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
    ImageLogoPortable = hidden(QStringLiteral("ImageLogoPortable"), window, ":/art/logo_portable.png");
}
