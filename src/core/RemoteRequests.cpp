#include "core/RemoteRequests.h"

#include "acquisition/SlideSetBuilder.h"
#include "acquisition/SlideTime.h"
#include "anigif/ucAniGIF.h"
#include "catalogue/Catalogue.h"
#include "collections/Collections.h"
#include "core/FormPicture.h"
#include "core/KioskInput.h"
#include "core/RunControl.h"
#include "panel/SetupPanel.h"
#include "platform/EventPump.h"
#include "remote/Remote.h"
#include "remote/RemoteLog.h"
#include "slideshow/ControlBar.h"
#include "slideshow/Slideshow.h"

#include <QDateTime>
#include <QFileInfo>
#include <QApplication>
#include <QEvent>
#include <QPalette>

#include <utility>

using remote::Command;

namespace {

// The black that covers the window while the screen is off. It stays on top
// of whatever the window raises meanwhile (the connection sign, the status
// line) and keeps the window's size.
class BlackCurtain : public QWidget {
public:
    explicit BlackCurtain(QWidget *window) : QWidget(window)
    {
        setObjectName(QStringLiteral("screenOff"));
        QPalette pal = palette();
        pal.setColor(QPalette::Window, Qt::black);
        setPalette(pal);
        setAutoFillBackground(true);
        hide();
    }
    void cover(bool on)
    {
        if (on) {
            setGeometry(parentWidget()->rect());
            raise();
            show();
            qApp->installEventFilter(this);
        } else {
            qApp->removeEventFilter(this);
            hide();
        }
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::ZOrderChange && watched != this && watched->parent() == parentWidget())
            raise();
        else if (event->type() == QEvent::Resize && watched == parentWidget())
            setGeometry(parentWidget()->rect());
        return false;
    }
};

} // namespace

RemoteRequests::RemoteRequests(FormPicture &form) : w(form) {}

RemoteRequests::~RemoteRequests() = default;

void RemoteRequests::startRemote()
{
    w.remote = remote::Remote::fromEnvironment(w.Cirrolith_Collections_Dir);
    if (!w.remote)
        return;
    remote::RemoteHooks &hooks = w.remote->hooks;
    hooks.command = [this](Command c) { return command(c); };
    hooks.loadCollection = [this](const QString &path, const QString &) { return loadCollection(path); };
    hooks.setSlideSeconds = [this](int seconds) { return setSlideSeconds(seconds); };
    hooks.snapshot = [this] { return snapshot(); };
    w.remote->start();
}

QString RemoteRequests::refusal() const
{
    // The same rule as for the keys: only a running slideshow takes them.
    if (w.ExitToProgram)
        return QStringLiteral("the program is quitting");
    if (w.flagCmdButton != CmdRun || w.SSTCfg->isVisible())
        return QStringLiteral("the configuration panel is open");
    if (!w.panControl.Enabled() || w.panControl.held())
        return QStringLiteral("the slideshow is not running yet");
    return QString();
}

QString RemoteRequests::command(Command c)
{
    if (QString why = refusal(); !why.isEmpty())
        return why;
    const bool pausedAfter = w.slideshowPaused != w.keyPauseToggle;
    const bool offAfter = w.keyScreen != 0 ? w.keyScreen < 0 : w.screenOff;
    switch (c) {
    case Command::Next:
    case Command::Previous:
    case Command::Reload:
        if (offAfter)
            return QStringLiteral("the screen is off");
        if (c == Command::Reload)
            w.keyReload = true;
        else if (c == Command::Next && w.keySteps < kListSize)
            ++w.keySteps;
        else if (c == Command::Previous && w.keySteps > -kListSize)
            --w.keySteps;
        break;
    case Command::Pause:
    case Command::Resume:
        // Not a toggle: "pause" twice stays paused.
        if (pausedAfter != (c == Command::Pause))
            w.keyPauseToggle = !w.keyPauseToggle;
        break;
    case Command::ScreenOff: w.keyScreen = -1; break;
    case Command::ScreenOn: w.keyScreen = 1; break;
    }
    w.runControl->carryOutKeysSoon();
    return QString();
}

QString RemoteRequests::loadCollection(const QString &path)
{
    if (QString why = refusal(); !why.isEmpty())
        return why;
    // The whole catalogue is needed to find the collection's pictures.
    if (w.serverUnavailable)
        return QStringLiteral("the catalogue server gives no answer");
    const auto codes = Collections::readCodes(path);
    if (!codes || codes->isEmpty())
        return QStringLiteral("the file is no collection");
    w.keyCollection = path;
    w.runControl->carryOutKeysSoon();
    return QString();
}

QString RemoteRequests::setSlideSeconds(int seconds)
{
    if (QString why = refusal(); !why.isEmpty())
        return why;
    w.keySlideSeconds = static_cast<std::int16_t>(seconds);
    w.runControl->carryOutKeysSoon();
    return QString();
}

bool RemoteRequests::carryOut()
{
    bool done = false;
    if (w.keyScreen != 0) {
        setScreenOff(std::exchange(w.keyScreen, std::int8_t(0)) < 0);
        done = true;
    }
    if (w.screenOff) {
        // Nothing is shown, so nothing steps or reloads meanwhile.
        w.keySteps = 0;
        w.keyReload = false;
    }
    if (w.keySlideSeconds > 0) {
        applySlideSeconds(std::exchange(w.keySlideSeconds, std::int16_t(0)));
        done = true;
    }
    if (!w.keyCollection.isEmpty()) {
        showCollection(std::exchange(w.keyCollection, QString()));
        done = true;
    }
    if (done && w.remote)
        w.remote->stateMayHaveChanged();
    return done;
}

void RemoteRequests::setScreenOff(bool off)
{
    if (off == w.screenOff)
        return;
    w.screenOff = off;
    ucAniGIF &animation = *w.slideshow->ucAniGIF1;
    if (off) {
        w.imgClock.setEnabled(false);
        if (!m_black)
            m_black = new BlackCurtain(&w);
        static_cast<BlackCurtain *>(m_black)->cover(true);
        // A running animation has nothing to draw on a black screen.
        m_animationWasVisible = animation.isVisible();
        animation.hide();
        w.kiosk->holdScreen(false);
        m_power.sleep();
        qCInfo(lcRemote, "screen off");
    } else {
        m_power.wake();
        if (m_black)
            static_cast<BlackCurtain *>(m_black)->cover(false);
        if (m_animationWasVisible)
            animation.show();
        w.kiosk->holdScreen(true);
        qCInfo(lcRemote, "screen on");
    }
}

void RemoteRequests::applySlideSeconds(int seconds)
{
    // Saved as the panel saves it; the next slide keeps it.
    w.clockStatus = 1;   // no tick starts inside the save's wait
    w.running.setSlideSeconds(QString::number(seconds));
    w.settings.saveAll();
    w.imgClockInterval = acquisition::slideIntervalMs(seconds);
    w.imgClock.setInterval(w.imgClockInterval);
    w.clockStatus = 0;
}

void RemoteRequests::showCollection(const QString &path)
{
    const auto codes = Collections::readCodes(path);
    const QString name = QFileInfo(path).fileName();
    if (!codes) {
        qCWarning(lcRemote, "collection %s not loaded: it cannot be read", qPrintable(name));
        return;
    }
    // As the panel does: the whole catalogue first, so every picture of the
    // collection can be found in it. No tick starts meanwhile.
    w.clockStatus = 1;
    w.imgClock.setEnabled(false);
    w.fullCatalogueWanted = 1;
    w.catalogueLoaded = 0;
    w.catalogue->SyncCatalogue(1);
    w.fullCatalogueWanted = 0;
    if (w.ExitToProgram || platform::EventPump::quitRequested())
        return;
    if (w.running.rowCount() == 0) {
        qCWarning(lcRemote, "collection %s not loaded: the catalogue did not arrive", qPrintable(name));
        w.clockStatus = 0;
        return;
    }
    if (!w.collections->selectOnly(*codes)) {
        qCWarning(lcRemote, "collection %s not loaded: none of its pictures is in the catalogue", qPrintable(name));
        w.clockStatus = 0;
        return;
    }
    // Then "Start Slide Show": saved, and the set built from the selection.
    w.settings.saveAll();
    w.webLoading = 1;
    w.utilityTmr.setEnabled(true);
    w.lCountDown->setText(QString());
    w.lCountDown->show();
    w.lCountDown->raise();
    w.bar->btSetup->hide();
    w.bar->btWait->show();
    w.bar->btHelp->setVisible(false);
    w.GLOBAL_IMAGE_CURRENT_POINTER = 0;
    const bool built = w.slides->BuildSlideSet(0);
    w.webLoading = 0;
    w.clockStatus = 0;
    if (built) {
        w.collectionName = name;
        qCInfo(lcRemote, "collection %s shown", qPrintable(name));
    }
}

remote::StateSnapshot RemoteRequests::snapshot()
{
    remote::StateSnapshot s;
    if (w.screenOff)
        s.state = QStringLiteral("off");
    else if (w.flagCmdButton == CmdOpenPanel || w.flagCmdButton == CmdPanelOpen || w.SSTCfg->isVisible())
        s.state = QStringLiteral("panel");
    else if (!w.panControl.Enabled() || w.webLoading == 1 || w.slideCount <= 0 || w.probeState < 2)
        s.state = QStringLiteral("waiting");
    else if (w.slideshowPaused)
        s.state = QStringLiteral("paused");
    else
        s.state = QStringLiteral("running");

    s.slides = w.slideCount;
    // The slide tick leaves the pointer one past the slide it drew.
    const int shown = w.GLOBAL_IMAGE_CURRENT_POINTER - 1;
    if (w.slideCount > 0 && shown >= 0 && shown < w.slideCount && shown < kListSize) {
        s.slide = shown + 1;
        const QString address = w.listImageSELECTED[shown].trimmed();
        if (w.listImageProperties[shown] == 4)
            s.kind = QStringLiteral("animation");
        else if (w.listImageProperties[shown] == 2 || address.startsWith(u'2') || address.startsWith(u'3'))
            s.kind = QStringLiteral("page");
        else
            s.kind = QStringLiteral("picture");
    }
    // The credit line as shown, without the update notice and refresh stamp
    // it carries.
    QString credit = w.whoWeAre->text();
    const QString tail = w.Aggiornare + w.LastUpdate;
    if (!tail.isEmpty() && credit.endsWith(tail))
        credit.chop(tail.size());
    s.credit = credit.trimmed();
    for (int k = 0; k < w.slideCount && k < kListSize; ++k)
        s.notAvailable += w.listIMAGEnotLoaded[k] ? 1 : 0;
    // Each refresh stamps LastUpdate anew.
    if (w.LastUpdate != m_lastUpdateSeen) {
        m_lastUpdateSeen = w.LastUpdate;
        m_refreshed = QDateTime::currentDateTime().toOffsetFromUtc(QDateTime::currentDateTime().offsetFromUtc())
                          .toString(Qt::ISODate);
    }
    s.refreshed = m_refreshed;
    s.serverUnavailable = w.serverUnavailable;
    s.collection = w.collectionName;
    return s;
}
