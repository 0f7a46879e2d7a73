#include "panel/HelpActions.h"

#include "catalogue/Catalogue.h"
#include "panel/PanelContext.h"
#include "panel/SetupPanel.h"
#include "platform/Clock.h"
#include "platform/DialogService.h"
#include "platform/EventPump.h"
#include "platform/Log.h"
#include "shell/mShellExecute.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

using platform::ClickLabel;
using platform::DialogService;
using platform::MsgButtons;
using platform::MsgIcon;

namespace {

struct HelpNotOpened {
    const char *text;
    const char *title;
};

// Someone is at the screen and reads it in the language they chose; before
// one is chosen, in English.
HelpNotOpened helpNotOpened(int lingua)
{
    switch (lingua) {
    case LinguaItalian:
        return {"Impossibile aprire la pagina di aiuto: nessun browser web \xC3\xA8 impostato per mostrarla.",
                "Aiuto"};
    case LinguaFrench:
        return {"La page d'aide ne peut pas \xC3\xAA" "tre ouverte : aucun navigateur web n'est configur\xC3\xA9 "
                "pour l'afficher.",
                "Aide"};
    case LinguaSpanish:
        return {"No se puede abrir la p\xC3\xA1gina de ayuda: no hay ning\xC3\xBAn navegador web configurado "
                "para mostrarla.",
                "Ayuda"};
    default:
        return {"The help page cannot be opened: no web browser is set up to show it.", "Help"};
    }
}

} // namespace

namespace {

constexpr int kHelpWindowStyle = 10;

} // namespace

HelpActions::HelpActions(PanelContext &context) : w(context)
{
    SetupPanel &p = *w.SSTCfg;
    // The captions forward their clicks to these icons.
    auto on = [this](ClickLabel *icon, auto handler) {
        QObject::connect(icon, &ClickLabel::clicked, &m_connections, handler);
    };
    on(p.helpTime, [this] { helpTime_Click(); });
    on(p.helpImg, [this] { helpImg_Click(); });
    on(p.helpEsegui, [this] { helpEsegui_Click(); });
    on(p.RunTeamViewer, [this] { RunTeamViewer_Click(); });
    on(p.nwxStatusBar, [this] { nwxStatusBar_Click(); });
}

QString HelpActions::onlineHelpAddress() const
{
    return w.catalogue->webRoot() + QLatin1String(kHelpPagePath);
}

void HelpActions::OpenOnlineHelp()
{
    if (w.state.ExitToProgram || platform::EventPump::quitRequested())
        return;
    // The launch waits a moment for the opener with events processed: a
    // click arriving meanwhile, or the second half of a double click, is the
    // same request.
    if (m_opening)
        return;
    if (m_lastOpen.isValid() && m_lastOpen.elapsed() < platform::Clock::toReal(kRepeatMs))
        return;
    m_opening = true;
    m_lastOpen.start();
    const QString address = onlineHelpAddress();
    const bool opened =
        ShellExecuteFile(address, kHelpWindowStyle, QString(), QString(), QStringLiteral("open"), &w.window);
    m_opening = false;
    // Someone asked for help and is in front of the screen: say why nothing opens.
    if (!opened && !w.state.ExitToProgram) {
        qCWarning(lcRun, "help page not opened: %s", qPrintable(shell::lastError().description));
        const HelpNotOpened text = helpNotOpened(w.state.Lingua);
        DialogService::current().MsgBox(
            (QString::fromUtf8(text.text) + QStringLiteral("\r\n%1\r\n\r\n%2"))
                .arg(shell::lastError().description, address),
            MsgButtons::OK, MsgIcon::Exclamation, QString::fromUtf8(text.title));
    }
}

void HelpActions::helpTime_Click()
{
    SetupPanel &p = *w.SSTCfg;
    for (auto *field : {p.txtDisplay, p.txtDisplay2, p.SSTCfg_timeDwLoad, p.SSTCfg_timeRefresh})
        field->setBackColor(SetupPanel::kLightBlue);
    OpenOnlineHelp();
}

void HelpActions::helpImg_Click() { OpenOnlineHelp(); }

void HelpActions::helpEsegui_Click() { OpenOnlineHelp(); }

QString HelpActions::portableLauncherPath() const
{
    // Three levels above the portable folder, which start-up made current.
    return QDir::cleanPath(w.state.PortablesPath +
                           QStringLiteral("/../../../TeamViewerPortable/TeamViewerPortable.exe"));
}

QString HelpActions::remoteHelpProgram() const
{
    return w.state.appPath + (w.state.Lingua == LinguaItalian ? QStringLiteral("/TeamViewer.exe")
                                                  : QStringLiteral("/TeamViewerEng.exe"));
}

QString HelpActions::remoteHelpExplanation(int lingua)
{
    const char *const english[] = {
        "You are incoming to run TeamViewer, a Remote Control software.",
        "It is freeware fon no profit use. ",
        "You have to be connected by phone with our operator that ",
        "try to hel you for Cirrolith configuration, and under your authorization,",
        "try to remote control your computer."};
    const char *const italian[] = {
        "Stai per lanciare il software di assistenza Remota TeamViewer",
        "Il software \xC3\xA8 freeware per usi non professionali ",
        "E' necessario essere in collegamento telefonico con un operatore che ",
        "provveder\xC3\xA0 ad aiutarti a configurare Cirrolith e su tua autorizzazione,",
        "prender\xC3\xA0 il controllo remoto del tuo computer."};
    QStringList lines;
    for (const char *line : (lingua == LinguaItalian ? italian : english))
        lines << QString::fromUtf8(line);
    return lines.join(QStringLiteral("\r\n"));
}

QString HelpActions::aboutText()
{
    return QStringLiteral("Cirrolith version") + QStringLiteral("5.5.5") + QStringLiteral("PORTABLE");
}

void HelpActions::RunTeamViewer_Click()
{
    if (QFile::exists(portableLauncherPath())) {
        StartRemoteHelp();
        return;
    }
    DialogService::current().MsgBox(QStringLiteral("TeamViewer portable not found , please install it and retry"),
                                    MsgButtons::OK);
}

void HelpActions::StartRemoteHelp()
{
    const bool italian = w.state.Lingua == LinguaItalian;
    const QString program = remoteHelpProgram();
    DialogService::current().MsgBox(remoteHelpExplanation(w.state.Lingua), MsgButtons::OK);
    if (w.state.ExitToProgram || platform::EventPump::quitRequested())
        return;

    // The program is not waited for and its process is not kept.
    const QString shown = QDir::toNativeSeparators(program);
    if (!QFileInfo(program).isFile()) {
        DialogService::current().MsgBox(
            (italian ? QStringLiteral("Programma di assistenza remota non trovato:\r\n")
                     : QStringLiteral("Remote help program not found:\r\n")) + shown,
            MsgButtons::OK, MsgIcon::Exclamation);
        return;
    }
    if (!QProcess::startDetached(program, {}, w.state.appPath)) {
        DialogService::current().MsgBox(
            (italian ? QStringLiteral("Impossibile avviare il programma di assistenza remota:\r\n")
                     : QStringLiteral("The remote help program could not be started:\r\n")) + shown,
            MsgButtons::OK, MsgIcon::Exclamation);
    }
}

void HelpActions::nwxStatusBar_Click()
{
    DialogService::current().MsgBox(aboutText(), MsgButtons::OK);
}
