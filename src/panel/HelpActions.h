#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>

struct PanelContext;

// The help icons of the panel, remote assistance and the About message, and
// the online help page they and the bar's help button open.
class HelpActions {
public:
    // The page's path on the program's web site.
    static constexpr const char *kHelpPagePath = "/public/Help-Online.asp";
    // A second request this soon after the first (nominal ms) is the same
    // request: a double click opens the page once.
    static constexpr int kRepeatMs = 700;

    explicit HelpActions(PanelContext &context);

    void helpTime_Click();
    void helpImg_Click();
    void helpEsegui_Click();
    void RunTeamViewer_Click();
    void StartRemoteHelp();
    void nwxStatusBar_Click();

    // Opens the online help page in the user's browser; the outcome is not
    // looked at. Nothing is opened while the program quits.
    void OpenOnlineHelp();
    QString onlineHelpAddress() const;

    // The portable remote-control launcher whose presence is tested, and the
    // program started, for the current language.
    QString portableLauncherPath() const;
    QString remoteHelpProgram() const;

    static QString remoteHelpExplanation(int lingua);
    static QString aboutText();

private:
    PanelContext &w;
    QObject m_connections;
    bool m_opening = false;
    QElapsedTimer m_lastOpen;
};
