#include "platform/Log.h"

// Quiet beyond warnings unless QT_LOGGING_RULES asks for more.
Q_LOGGING_CATEGORY(lcCatalogue, "cirrolith.catalogue", QtWarningMsg)
Q_LOGGING_CATEGORY(lcDownload, "cirrolith.download", QtWarningMsg)
Q_LOGGING_CATEGORY(lcShow, "cirrolith.show", QtWarningMsg)
Q_LOGGING_CATEGORY(lcSettings, "cirrolith.settings", QtWarningMsg)
Q_LOGGING_CATEGORY(lcScreen, "cirrolith.screen", QtWarningMsg)
Q_LOGGING_CATEGORY(lcRun, "cirrolith.run", QtWarningMsg)
