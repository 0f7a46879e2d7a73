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

namespace {

// How often the pointer's place is looked at (real ms).
constexpr int kPointerCheckMs = 200;

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
    m_pointerCheck.setInterval(kPointerCheckMs);
    connect(&m_pointerCheck, &QTimer::timeout, this, &KioskInput::checkPointer);
    m_pointerCheck.start();
    m_sinceMove.start();
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
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
        pointerMoved();
        break;
    case QEvent::WindowBlocked:
        // A message box came up: the pointer is needed there.
        if (watched == &w)
            setPointerHidden(false);
        break;
    case QEvent::Show:
        if (watched == &w)
            holdScreen(true);
        break;
    case QEvent::Hide:
        if (watched == &w)
            holdScreen(false);
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
        w.flagCmdButton = CmdSaveAndClose;
        w.runControl->saveAndCloseSoon();
        return;
    }
    m_quitAsked = false;
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
}

void KioskInput::checkPointer()
{
    // A quit asked of the run control stays asked until it is carried out,
    // whatever the slideshow sets the run command to meanwhile.
    if (m_quitAsked && w.runControl->closing())
        m_quitAsked = false;   // the run control is carrying it out
    if (m_quitAsked && !w.ExitToProgram) {
        if (!runControlRunning())
            quitSavingSettings();
        else
            w.flagCmdButton = CmdSaveAndClose;
    }

    const QPoint pos = QCursor::pos();
    if (pos != m_lastPos) {
        m_lastPos = pos;
        pointerMoved();
        return;
    }
    const bool idle = m_sinceMove.elapsed() >= platform::Clock::toReal(kPointerIdleMs);
    setPointerHidden(idle && pointerOverSlideshow());
}

bool KioskInput::isFrameOrPanel(const QWidget *widget) const
{
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
