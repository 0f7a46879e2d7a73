#pragma once
// Logging categories for the people who look after a screen. Failures are
// warnings and show by default; outcomes are info lines, shown with
// QT_LOGGING_RULES="cirrolith.*.info=true" (journald keeps both when the
// program runs as a service).
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcCatalogue)  // probes, synchronisation, version check
Q_DECLARE_LOGGING_CATEGORY(lcDownload)   // picture downloads, page captures, series
Q_DECLARE_LOGGING_CATEGORY(lcShow)       // slide-set builds, reloads, the slideshow
Q_DECLARE_LOGGING_CATEGORY(lcSettings)   // settings and collection files written or refused
Q_DECLARE_LOGGING_CATEGORY(lcScreen)     // the screen used, full screen, blanking
Q_DECLARE_LOGGING_CATEGORY(lcRun)        // start, quitting and why
