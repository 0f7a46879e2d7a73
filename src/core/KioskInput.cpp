#include "core/KioskInput.h"

#include "core/FormPicture.h"
#include "core/RunControl.h"
#include "panel/ConnectionFrame.h"
#include "panel/LanguageFrame.h"
#include "panel/SetupPanel.h"
#include "panel/TownFrame.h"
#include "platform/Clock.h"
#include "platform/Log.h"
#include "platform/ScreenBlanking.h"
#include "platform/WaylandIdleInhibitor.h"
#include "slideshow/ControlBar.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

#include <algorithm>

namespace {

// How often a quit asked of a busy run control is asked again (real ms).
constexpr int kQuitRetryMs = 200;

bool editableText(const QWidget *widget)
{
    if (auto *e = qobject_cast<const QLineEdit *>(widget))
        return !e->isReadOnly();
    if (auto *e = qobject_cast<const QPlainTextEdit *>(widget))
        return !e->isReadOnly();
    if (auto *e = qobject_cast<const QTextEdit *>(widget))
        return !e->isReadOnly();
    if (auto *e = qobject_cast<const QAbstractSpinBox *>(widget))
        return !e->isReadOnly();
    if (auto *c = qobject_cast<const QComboBox *>(widget))
        return c->isEditable();
    return false;
}

} // namespace

KioskInput::KioskInput(FormPicture &form)
    : w(form), m_blanking(std::make_unique<platform::ScreenBlanking>(QStringLiteral("Cirrolith"))),
      m_idle(std::make_unique<platform::WaylandIdleInhibitor>())
{
    connect(m_blanking.get(), &platform::ScreenBlanking::changed, this, &KioskInput::checkBlankingHeld);
    qApp->installEventFilter(this);
    // The pointer is not polled: moves arrive as events, and the rest that
    // hides it is one timer armed by the last move, so an idle screen sleeps.
    m_pointerRest.setSingleShot(true);
    connect(&m_pointerRest, &QTimer::timeout, this, &KioskInput::checkPointer);
    m_quitRetry.setInterval(kQuitRetryMs);
    connect(&m_quitRetry, &QTimer::timeout, this, &KioskInput::retryQuit);
    m_sinceMove.start();
    armPointerRest();
}

KioskInput::~KioskInput()
{
    qApp->removeEventFilter(this);
    setPointerHidden(false);
}

KioskInput::KeyAction KioskInput::actionFor(int key, Qt::KeyboardModifiers modifiers, bool inTextBox,
                                            bool autoRepeat)
{
    if (autoRepeat)
        return KeyAction::None;
    const Qt::KeyboardModifiers mods = modifiers & ~Qt::KeypadModifier;
    if (key == Qt::Key_Escape && mods == Qt::NoModifier)
        return inTextBox ? KeyAction::None : KeyAction::Quit;
    if (key == Qt::Key_Q && mods == Qt::ControlModifier)
        return KeyAction::Quit;
    if (key == Qt::Key_F1 && mods == Qt::NoModifier)
        return KeyAction::Help;
    if (inTextBox || mods != Qt::NoModifier)
        return KeyAction::None;
    switch (key) {
    case Qt::Key_Right: return KeyAction::NextSlide;
    case Qt::Key_Left: return KeyAction::PreviousSlide;
    case Qt::Key_Space: return KeyAction::PauseResume;
    case Qt::Key_R: return KeyAction::ReloadNow;
    default: return KeyAction::None;
    }
}

bool KioskInput::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        return handleKey(watched, static_cast<QKeyEvent *>(event));
    case QEvent::MouseMove: {
        // One move reaches the window and then its widget; and a widget
        // shown under a resting pointer gets a move of its own. Only a new
        // place counts.
        const QPoint pos = static_cast<QMouseEvent *>(event)->globalPosition().toPoint();
        if (pos != m_lastPos) {
            m_lastPos = pos;
            pointerMoved();
        }
        break;
    }
    case QEvent::Enter: {
        // A pointer warped onto the window, or a window put under it, enters
        // without a move.
        const QPoint pos = static_cast<QEnterEvent *>(event)->globalPosition().toPoint();
        if (pos != m_lastPos) {
            m_lastPos = pos;
            pointerMoved();
        } else {
            armPointerRest();
        }
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
        pointerMoved();
        break;
    case QEvent::WindowBlocked:
        // A message box came up: the pointer is needed there.
        if (watched == &w)
            setPointerHidden(false);
        break;
    case QEvent::WindowUnblocked:
        if (watched == &w)
            armPointerRest();
        break;
    case QEvent::Show:
        if (watched == &w)
            holdScreen(true);
        else if (isFrameOrPanel(watched))
            armPointerRest();   // a panel under a hidden pointer brings it back
        break;
    case QEvent::Hide:
        if (watched == &w)
            holdScreen(false);
        else if (isFrameOrPanel(watched))
            armPointerRest();
        break;
    case QEvent::WinIdChange:
        // The window was made anew (the web view's first show does that):
        // the inhibitor goes onto the new one's surface.
        if (watched == &w && m_idle->wanted() && w.windowHandle())
            m_idle->hold(w.windowHandle());
        break;
    default:
        break;
    }
    return false;
}

void KioskInput::holdScreen(bool on)
{
    if (!on) {
        m_blanking->release();
        m_idle->release();
        return;
    }
    // Both ways where both exist: a desktop may offer either one.
    m_blanking->inhibit(QStringLiteral("Weather slideshow on screen"));
    w.winId();   // the window handle exists from here on
    m_idle->hold(w.windowHandle());
    checkBlankingHeld();
}

void KioskInput::checkBlankingHeld()
{
    // Said once: the screen may blank, and whoever looks after it should know.
    if (m_toldNoBlankingHold || !m_blanking->wanted() || !m_blanking->unavailable() || m_idle->offered())
        return;
    m_toldNoBlankingHold = true;
    qCWarning(lcScreen) << "screen blanking is not held: no org.freedesktop.ScreenSaver service on a "
                           "session bus and no Wayland idle inhibitor";
}

bool KioskInput::handleKey(QObject *watched, QKeyEvent *event)
{
    // A key travels from the focus widget up to the window, passing here at
    // each step; the window (not a message box or another window) decides.
    auto *target = qobject_cast<QWidget *>(watched);
    if (!target || target->window() != &w)
        return false;
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget())
        return false;
    const QWidget *focus = QApplication::focusWidget();
    const bool inTextBox = editableText(focus ? focus : target);
    const KeyAction action = actionFor(event->key(), event->modifiers(), inTextBox, event->isAutoRepeat());
    switch (action) {
    case KeyAction::Quit:
        quitSavingSettings();
        return true;
    case KeyAction::Help:
        showHelp();
        return true;
    case KeyAction::None:
        break;
    default:
        return slideshowKey(action);
    }
    return false;
}

bool KioskInput::slideshowKey(KeyAction action)
{
    // A key during a tick is queued for the next one, so only a held or
    // stopped run control refuses it.
    if (w.ExitToProgram || !w.panControl.Enabled() || w.panControl.held() || w.flagCmdButton != CmdRun || w.SSTCfg->isVisible())
        return false;
    switch (action) {
    case KeyAction::NextSlide:
        if (w.keySteps < kListSize)
            ++w.keySteps;
        break;
    case KeyAction::PreviousSlide:
        if (w.keySteps > -kListSize)
            --w.keySteps;
        break;
    case KeyAction::PauseResume: w.keyPauseToggle = !w.keyPauseToggle; break;
    case KeyAction::ReloadNow: w.keyReload = true; break;
    default: return false;
    }
    w.runControl->carryOutKeysSoon();
    return true;
}

bool KioskInput::runControlRunning() const { return w.runControl->canActAtNextTick(); }

void KioskInput::quitSavingSettings()
{
    // A quit under way (ours or the run control's) is not started again from
    // inside its own messages.
    if (w.ExitToProgram || m_saving || w.runControl->closing())
        return;
    if (!m_quitAsked)
        qCInfo(lcRun, "quit key: saving the settings and quitting");
    if (runControlRunning()) {
        m_quitAsked = true;
        m_quitRetry.start();
        w.flagCmdButton = CmdSaveAndClose;
        w.runControl->saveAndCloseSoon();
        return;
    }
    m_quitAsked = false;
    m_quitRetry.stop();
    m_saving = true;
    w.settings.SaveConfig(SettingsFiles::OnFailure::NoticeWhileQuitting);
    m_saving = false;
    if (!w.ExitToProgram)
        w.runControl->btTermina_Click();
}

void KioskInput::showHelp()
{
    platform::Image *help = w.bar->btHelp;
    if (!w.ExitToProgram && help->isVisible())
        help->click();
}

void KioskInput::pointerMoved()
{
    m_sinceMove.restart();
    setPointerHidden(false);
    armPointerRest();
}

void KioskInput::armPointerRest()
{
    // The check comes when the rest is over (at once when it already is);
    // restarting a running timer costs no wake-up.
    const qint64 left = platform::Clock::toReal(kPointerIdleMs) - m_sinceMove.elapsed();
    m_pointerRest.start(static_cast<int>(std::max<qint64>(0, left + 1)));
}

void KioskInput::retryQuit()
{
    // A quit asked of the run control stays asked until it is carried out,
    // whatever the slideshow sets the run command to meanwhile.
    if (m_quitAsked && w.runControl->closing())
        m_quitAsked = false;   // the run control is carrying it out
    if (!m_quitAsked || w.ExitToProgram) {
        m_quitRetry.stop();
        return;
    }
    if (!runControlRunning())
        quitSavingSettings();
    else
        w.flagCmdButton = CmdSaveAndClose;
}

void KioskInput::checkPointer()
{
    // A timer may end a little early; the rest is then not over yet.
    if (m_sinceMove.elapsed() < platform::Clock::toReal(kPointerIdleMs)) {
        armPointerRest();
        return;
    }
    setPointerHidden(pointerOverSlideshow());
}

bool KioskInput::isFrameOrPanel(const QObject *object) const
{
    const auto *widget = qobject_cast<const QWidget *>(object);
    if (!widget || widget->window() != &w)
        return false;
    for (const QWidget *p = widget; p && p != &w; p = p->parentWidget()) {
        if (p == w.SSTCfg || p == w.FormYourTown || p == w.Frame_Select_Connection ||
            p == w.Frame_Select_Language)
            return true;
    }
    return false;
}

bool KioskInput::pointerOverSlideshow() const
{
    if (!w.isVisible() || w.ExitToProgram || QApplication::activeModalWidget() ||
        QApplication::activePopupWidget())
        return false;
    const QWidget *under = QApplication::widgetAt(QCursor::pos());
    return under && under->window() == &w && !isFrameOrPanel(under);
}

void KioskInput::setPointerHidden(bool hidden)
{
    if (hidden == m_pointerHidden)
        return;
    m_pointerHidden = hidden;
    if (hidden)
        QGuiApplication::setOverrideCursor(QCursor(Qt::BlankCursor));
    else
        QGuiApplication::restoreOverrideCursor();
}
