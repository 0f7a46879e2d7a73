#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPoint>
#include <QTimer>

#include <memory>

class FormPicture;
class QKeyEvent;
class QWidget;
namespace platform {
class ScreenBlanking;
class WaylandIdleInhibitor;
}

// What a screen left running unattended needs from the main window: keys
// that quit and call help, a pointer that gets out of the way of the
// pictures, and a screen that does not blank while the slideshow is shown.
class KioskInput : public QObject {
    Q_OBJECT
public:
    enum class KeyAction { None, Quit, Help, NextSlide, PreviousSlide, PauseResume, ReloadNow };

    // How long the pointer rests over the slideshow before it hides (nominal ms).
    static constexpr int kPointerIdleMs = 3000;

    explicit KioskInput(FormPicture &form);
    ~KioskInput() override;

    // Escape and Ctrl+Q quit, F1 asks for help; Right, Left, Space and R
    // step, pause and reload the slideshow. Escape typed into a text box is
    // the text box's own, and so are the slideshow keys; a held key's
    // repeats do nothing.
    static KeyAction actionFor(int key, Qt::KeyboardModifiers modifiers, bool inTextBox, bool autoRepeat);

    // The quit button's path: save and close. While the run control runs it
    // carries the save and close out at its next tick, as the panel's exit
    // does; before that (start-up, waiting for the server) the settings are
    // saved here and the bar's quit follows.
    void quitSavingSettings();
    // The help button's path, when the button is there to be clicked.
    void showHelp();
    // Hands a slideshow key to the run control. False when the slideshow is
    // not running (the panel, a question, start-up): the key goes on its way.
    bool slideshowKey(KeyAction action);

    bool pointerHidden() const { return m_pointerHidden; }
    // Asks the desktop not to blank the screen, or lets it again.
    void holdScreen(bool on);
    platform::ScreenBlanking &screenBlanking() { return *m_blanking; }
    platform::WaylandIdleInhibitor &idleInhibitor() { return *m_idle; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool handleKey(QObject *watched, QKeyEvent *event);
    void pointerMoved();
    void checkPointer();
    void armPointerRest();
    void retryQuit();
    bool pointerOverSlideshow() const;
    bool isFrameOrPanel(const QObject *object) const;
    void setPointerHidden(bool hidden);
    void checkBlankingHeld();
    bool runControlRunning() const;

    FormPicture &w;
    std::unique_ptr<platform::ScreenBlanking> m_blanking;
    std::unique_ptr<platform::WaylandIdleInhibitor> m_idle;
    bool m_toldNoBlankingHold = false;
    QTimer m_pointerRest;
    QTimer m_quitRetry;
    QElapsedTimer m_sinceMove;
    QPoint m_lastPos;
    bool m_pointerHidden = false;
    bool m_quitAsked = false;
    bool m_saving = false;   // the quit's save (and its messages) under way
};
