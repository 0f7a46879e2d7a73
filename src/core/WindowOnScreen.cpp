#include "core/FormPicture.h"

#include "acquisition/SlideSetBuilder.h"
#include "catalogue/Catalogue.h"
#include "panel/SetupPanel.h"
#include "platform/Log.h"
#include "platform/Screen.h"
#include "platform/Units.h"
#include "slideshow/ControlBar.h"
#include "slideshow/Slideshow.h"

#include <QGuiApplication>
#include <QPlatformSurfaceEvent>
#include <QResizeEvent>
#include <QScreen>
#include <QTimer>
#include <QWindow>

// The main window on its screen: covering it, keeping it full screen when the
// compositor makes its surface anew, and laying it out for its real size.

using platform::Screen;

void FormPicture::showCoveringScreen()
{
    if (QScreen *screen = Screen::chosen()) {
        // The window is made on its screen, so the compositor puts it full
        // screen there (a Wayland client cannot place itself).
        winId();
        if (QWindow *window = windowHandle())
            window->setScreen(screen);
        setGeometry(screen->geometry());
        qCInfo(lcScreen).noquote() << "covering screen" << screen->name() << screen->geometry()
                                   << "at" << screen->logicalDotsPerInch() << "dpi, device pixel ratio"
                                   << screen->devicePixelRatio();
    }
    // The start-up picture is there from the window's first frame, not only
    // from the connection clock's first tick half a second later.
    if (slideshow->ShowSlide(slides->logoPicture()))
        catalogue->showWaitingBar();
    m_wantFullScreen = true;
    showFullScreen();
    if (const QScreen *s = screen())
        qCInfo(lcScreen, "screen %s, %dx%d pixels, %s", qPrintable(s->name()), s->geometry().width(),
               s->geometry().height(), qPrintable(QGuiApplication::platformName()));
    watchWindow();
    releaseTimers();
}

void FormPicture::watchWindow()
{
    QWindow *window = windowHandle();
    if (!window || window == m_watchedWindow)
        return;
    if (m_watchedWindow)
        m_watchedWindow->removeEventFilter(this);
    m_watchedWindow = window;
    window->installEventFilter(this);
}

bool FormPicture::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_watchedWindow && event->type() == QEvent::PlatformSurface &&
        static_cast<QPlatformSurfaceEvent *>(event)->surfaceEventType() ==
            QPlatformSurfaceEvent::SurfaceCreated) {
        // Made anew: the compositor knows nothing of the state it had.
        m_surfaceRecreated = true;
        keepFullScreenLater();
    }
    return QWidget::eventFilter(watched, event);
}

void FormPicture::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::WindowStateChange)
        keepFullScreenLater();
    QWidget::changeEvent(event);
}

void FormPicture::keepFullScreenLater()
{
    // The window can be made anew under the program (the web view's first
    // show turns it into a GPU surface), and a compositor may then give it
    // back as a plain window: ask again, once the event at hand is done.
    if (!m_wantFullScreen || m_fullScreenAskPending)
        return;
    m_fullScreenAskPending = true;
    QTimer::singleShot(0, this, [this] {
        m_fullScreenAskPending = false;
        watchWindow();
        if (!m_wantFullScreen || ExitToProgram || !isVisible())
            return;
        if (!windowState().testFlag(Qt::WindowFullScreen) || m_surfaceRecreated) {
            // A window manager that keeps refusing is not asked in a loop:
            // a few times a minute at most.
            if (!m_fullScreenAsks.isValid() || m_fullScreenAsks.elapsed() > 60000) {
                m_fullScreenAsks.start();
                m_fullScreenAskCount = 0;
            }
            if (++m_fullScreenAskCount > kFullScreenAsksPerMinute) {
                if (m_fullScreenAskCount == kFullScreenAsksPerMinute + 1)
                    qCWarning(lcScreen) << "the window manager keeps the window out of full screen";
                m_surfaceRecreated = false;
                return;
            }
            qCInfo(lcScreen) << "asking again for full screen; the window state is" << windowState();
            setWindowState(windowState() | Qt::WindowFullScreen);
            if (QWindow *window = windowHandle())
                window->showFullScreen();
        }
        m_surfaceRecreated = false;
    });
}

void FormPicture::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_wantFullScreen)
        QTimer::singleShot(0, this, [this] { followWindowSize(); });
}

void FormPicture::followWindowSize()
{
    const QSize real = size();
    if (ExitToProgram || !isVisible() || real.isEmpty() || real == Screen::pixels())
        return;
    // The layout is the window's: whatever the compositor granted.
    Screen::followWindow(real);
    const double screenW = Screen::widthTwips();
    const double screenH = Screen::heightTwips();
    qCInfo(lcScreen) << "laying out for the window's size" << real;
    Ratio_X_Y = static_cast<float>(screenW / screenH);
    webvis->Move(0, 0, static_cast<float>(screenW), static_cast<float>(screenH));
    HelpCaller->Move(static_cast<float>(screenW + 100), static_cast<float>(screenW + 100));
    placeForScreen(screenW, screenH);
    bar->placeBar(whoWeAre, timerflag, Ratio_X_Y);
    placeStatusLabels(screenW, screenH);
    slideshow->followWindowSize();
}

void FormPicture::placeForScreen(double screenW, double screenH)
{
    // The panel centred; each half is rounded to 16 bits before subtracting.
    using platform::units::toInt16;
    SSTCfg->setLeft(toInt16(screenW / 2) - toInt16(SSTCfg->Width() / 2));
    SSTCfg->setTop(toInt16(screenH / 2) - toInt16(SSTCfg->Height() / 2));
    // The version label centred above the panel.
    lVersion->setLeft(SSTCfg->Left() + SSTCfg->Width() / 2 - lVersion->Width() / 2);
    lVersion->setTop(SSTCfg->Top() - lVersion->Height() - lVersion->Height() / 2);
}

void FormPicture::placeStatusLabels(double screenW, double screenH)
{
    lCountDown->setLeft(0);
    lCountDown->setWidth(static_cast<float>(screenW));
    lCountDown->setTop(static_cast<float>(screenH) - whoWeAre->Height() - lCountDown->Height());
    lCountDown->setFont(whoWeAre->font());
    lGeneric->Move(lCountDown->Left(), lCountDown->Top(), lCountDown->Width(), lCountDown->Height());
    QFont genericFont = whoWeAre->font();
    genericFont.setPointSizeF(lCountDown->font().pointSizeF());
    lGeneric->setFont(genericFont);
    lblMsgUser->setWidth(static_cast<float>(screenW));
}

