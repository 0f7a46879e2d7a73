#pragma once

#include "platform/Controls.h"
#include "platform/VbTimer.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>

#include <array>

// A label whose caption keeps its CR LF line ends as written; the screen
// shows one line per CR LF.
class CaptionLabel : public platform::ClickLabel {
    Q_OBJECT
public:
    explicit CaptionLabel(QWidget *parent = nullptr) : platform::ClickLabel(parent) {}
    const QString &Caption() const { return m_caption; }
    void setCaption(const QString &caption);
    void appendCaption(const QString &more) { setCaption(m_caption + more); }

private:
    QString m_caption;
};

// The rich-text box of the list dump: holds its text exactly as written.
class DumpBox : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit DumpBox(QWidget *parent = nullptr);
    const QString &Text() const { return m_text; }
    void setText(const QString &text);

private:
    QString m_text;
};

// A multi-line text box that reports double clicks.
class NoteBox : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit NoteBox(QWidget *parent = nullptr) : QPlainTextEdit(parent) {}

signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
};

using DebugLabel = platform::Vb<CaptionLabel>;
using DebugBox = platform::Vb<QLineEdit>;
using DebugButton = platform::Vb<QPushButton>;

// The status window: other parts of the program write their current values
// into its controls; its buttons read or force state.
class DisplayDebug : public QWidget {
    Q_OBJECT
public:
    static constexpr float kWidth = 12360;
    static constexpr float kHeight = 9240;

    explicit DisplayDebug(QWidget *owner);

    platform::Vb<QCheckBox> *Aggiorna;
    platform::Vb<DumpBox> *ArrayDebug;
    platform::Vb<NoteBox> *Text1;
    DebugLabel *labelLst;
    DebugBox *ImgTimerValue;
    DebugLabel *url_attuale;
    DebugBox *DisplaypanControl_Timer;
    DebugBox *Proxy_Address;
    DebugBox *Proxy_Port;
    DebugBox *Proxy_Username;
    DebugBox *Proxy_Password;
    DebugLabel *dbRanVal;
    DebugBox *DisplayflagCmdButton;
    DebugBox *ValueClockStatus;
    DebugLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6, *Label7, *Label8, *Label9, *Label10;
    DebugButton *dbSetDwload;
    DebugButton *FlagflagCmdButton;
    DebugButton *ViewClockStatus;
    DebugButton *RunCalcolaSchermo;
    DebugButton *Delete_Help_box;
    platform::VbTimer dbDisplay;

private:
    DebugLabel *label(const QString &name, const QString &caption, float l, float t, float w, float h);
    DebugBox *box(const QString &name, float l, float t, float w, float h);
    DebugButton *button(const QString &name, const QString &caption, float l, float t, float w, float h);
    void hint(const QString &text, float l, float t, float w, float h);
};

// The list viewer: a fanned deck of thirteen cards, one per catalogue list.
class DisplayDebug2 : public QWidget {
    Q_OBJECT
public:
    static constexpr float kWidth = 16700;
    static constexpr float kHeight = 6900;

    explicit DisplayDebug2(QWidget *owner);

    DebugButton *Command_Nascondi;
    std::array<DebugLabel *, 13> ListData_txt{};
};
