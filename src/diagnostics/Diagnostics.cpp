#include "diagnostics/Diagnostics.h"

#include "diagnostics/DebugText.h"
#include "diagnostics/DebugWindows.h"
#include "platform/DialogService.h"
#include "platform/ProcessEnd.h"
#include "platform/Screen.h"
#include "platform/Units.h"
#include "settings/ConfigFile.h"
#include "slideshow/ControlBar.h"
#include "state/AppState.h"
#include "state/MainLabels.h"
#include "state/WindowClocks.h"

#include <algorithm>
#include <limits>

using platform::DialogService;
using platform::MsgButtons;
using platform::MsgIcon;

Diagnostics::Diagnostics(AppState &state, WindowClocks &clocks, MainLabels &labels, ControlBar &bar,
                         QWidget &window)
    : s(state), clocks(clocks), labels(labels), window(window)
{
    QObject::connect(bar.btHelp, &platform::ClickLabel::clicked, &m_connections, [this] { btHelp_Click(); });
}

Diagnostics::~Diagnostics()
{
    delete m_debug.data();
    delete m_viewer.data();
}

DisplayDebug &Diagnostics::debugWindow()
{
    if (!m_debug) {
        m_debug = new DisplayDebug(&window);
        wire(*m_debug);
    }
    return *m_debug;
}

void Diagnostics::wire(DisplayDebug &d)
{
    d.dbDisplay.setHandler([this] { dbDisplay_Timer(); });
    d.dbDisplay.setHeld(!m_timersReleased);
    QObject::connect(d.dbSetDwload, &QPushButton::clicked, &d, [this] { dbSetDwload_Click(); });
    QObject::connect(d.FlagflagCmdButton, &QPushButton::clicked, &d, [this] { FlagflagCmdButton_Click(); });
    QObject::connect(d.ViewClockStatus, &QPushButton::clicked, &d, [this] { ViewClockStatus_Click(); });
    QObject::connect(d.RunCalcolaSchermo, &QPushButton::clicked, &d, [this] { RunCalcolaSchermo_Click(); });
    QObject::connect(d.Delete_Help_box, &QPushButton::clicked, &d, [this] { Delete_Help_box_Click(); });
    QObject::connect(d.Text1, &NoteBox::doubleClicked, &d, [this] { Text1_DblClick(); });
}

DisplayDebug2 &Diagnostics::listViewer()
{
    if (!m_viewer) {
        m_viewer = new DisplayDebug2(&window);
        DisplayDebug2 &v = *m_viewer;
        QObject::connect(v.Command_Nascondi, &QPushButton::clicked, &v, [this] { Command_Nascondi_Click(); });
        for (int i = 0; i < diagnostics::kViewerLists; ++i)
            QObject::connect(v.ListData_txt[i], &platform::ClickLabel::clicked, &v,
                             [this, i] { ListData_txt_Click(i); });
    }
    return *m_viewer;
}

void Diagnostics::LoadAndShow()
{
    DisplayDebug &d = debugWindow();
    d.show();
    d.raise();
    showPanTick();
}

void Diagnostics::showPanTick()
{
    if (m_debug && m_debug->isVisible())
        m_debug->DisplaypanControl_Timer->setText(QString::number(s.panTickCount));
}

void Diagnostics::Unload()
{
    if (!m_debug)
        return;
    DisplayDebug *d = m_debug.data();
    m_debug = nullptr;
    d->dbDisplay.setEnabled(false);
    d->hide();
    // Later: this may run inside one of the window's own handlers.
    d->deleteLater();
}

void Diagnostics::releaseTimers()
{
    m_timersReleased = true;
    if (m_debug) {
        m_debug->dbDisplay.setHeld(false);
        // Shown before the main window covered the screen: back in front.
        if (m_debug->isVisible())
            m_debug->raise();
    }
}

void Diagnostics::RefreshDebugDump()
{
    DisplayDebug &d = debugWindow();
    if (!d.Aggiorna->isChecked())
        return;
    d.ArrayDebug->show();
    d.ArrayDebug->raise();
    d.ArrayDebug->setText(diagnostics::debugDump(s));
}

void Diagnostics::ShowReplyArrived()
{
    DisplayDebug &d = debugWindow();
    d.Text1->viewport()->update();
    d.raise();
}

void Diagnostics::showProxy(const QString &host, const QString &port, const QString &user,
                            const QString &password)
{
    DisplayDebug &d = debugWindow();
    d.Proxy_Address->setText(host);
    d.Proxy_Port->setText(port);
    d.Proxy_Username->setText(user);
    d.Proxy_Password->setText(password);
}

void Diagnostics::slideListCleared() { debugWindow().labelLst->setCaption(QString()); }

void Diagnostics::slideListLine(const QString &line)
{
    DisplayDebug &d = debugWindow();
    d.labelLst->appendCaption(line + QStringLiteral("\r\n"));
    d.raise();
}

void Diagnostics::slideListDone(int slideIntervalMs)
{
    DisplayDebug &d = debugWindow();
    d.labelLst->setEnabled(false);
    d.ImgTimerValue->setText(QString::number(slideIntervalMs));
    d.labelLst->show();
    d.raise();
}

void Diagnostics::showSlideAddress(const QString &address) { debugWindow().url_attuale->setCaption(address); }

void Diagnostics::btHelp_Click()
{
    if (s.debugMode != 1) {
        hooks.openOnlineHelp();
        return;
    }
    DisplayDebug2 &v = listViewer();
    v.show();
    v.raise();
    for (int i = 0; i < diagnostics::kViewerLists; ++i)
        v.ListData_txt[i]->setCaption(diagnostics::viewerCaption(s, i));
}

void Diagnostics::dbDisplay_Timer()
{
    if (m_debug)
        m_debug->dbRanVal->setCaption(QString::number(s.ranVal));
    if (s.ExitToProgram)
        platform::ProcessEnd::request(0);
}

void Diagnostics::dbSetDwload_Click()
{
    if (s.flagCmdButton != CmdRun) {
        DialogService::current().MsgBox(QStringLiteral("Clock busy Dwload"), MsgButtons::OK, MsgIcon::Exclamation,
                                        QStringLiteral("Warning!"));
        return;
    }
    // Without a reload period there is nothing to time the reload by.
    const QString period = s.running.reloadMinutes();
    if (!isNumeric(period))
        return;
    // Kept as the 16-bit value the tick restores; a longer interval would
    // come back negative and stop the clock.
    s.timerClockSave = static_cast<std::int16_t>(
        std::min(clocks.imgClock.Interval(), static_cast<int>(std::numeric_limits<std::int16_t>::max())));
    clocks.imgClock.setEnabled(false);
    clocks.imgClock.setInterval(1000);
    s.clockFromDebugSet = 1;
    s.GLOBAL_IMAGE_CURRENT_POINTER = 0;
    const double counter = std::clamp(numericValue(period) * 60 + 10, 0.0,
                                      static_cast<double>(std::numeric_limits<std::int32_t>::max()));
    s.cntCounterDwLoadImage = static_cast<std::int32_t>(platform::units::roundHalfEven(counter));
    clocks.imgClock.setEnabled(true);
}

void Diagnostics::FlagflagCmdButton_Click()
{
    debugWindow().DisplayflagCmdButton->setText(QString::number(s.flagCmdButton));
}

void Diagnostics::ViewClockStatus_Click()
{
    debugWindow().ValueClockStatus->setText(QString::number(s.clockStatus));
}

void Diagnostics::RunCalcolaSchermo_Click()
{
    using namespace platform::units;
    DisplayDebug &d = debugWindow();
    const double width = twipsToHimetric(platform::Screen::widthTwips());
    const double height = twipsToHimetric(platform::Screen::heightTwips());
    d.Label2->setCaption(QString::number(width));
    d.Label4->setCaption(QString::number(height));
    d.Label10->setCaption(QString::number(d.Label4->Caption().toDouble() / d.Label2->Caption().toDouble()));
    d.Label6->setCaption(QString::number(himetricToTwips(labels.whoWeAre->Height())));
    d.Label8->setCaption(QString::number(platform::Screen::twipsPerPixelY()));
}

void Diagnostics::Delete_Help_box_Click() { hooks.applyLanguage(); }

void Diagnostics::Text1_DblClick() { debugWindow().Text1->setPlainText(QString()); }

void Diagnostics::Command_Nascondi_Click()
{
    if (m_viewer)
        m_viewer->hide();
}

void Diagnostics::ListData_txt_Click(int index)
{
    if (m_viewer && index >= 0 && index < diagnostics::kViewerLists)
        m_viewer->ListData_txt[index]->raise();
}
