#pragma once
// The remote control's lines on stderr: the broker lost and back, and every
// message refused.
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcRemote)
