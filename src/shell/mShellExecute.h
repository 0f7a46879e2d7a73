#pragma once

#include <QString>

#include <cstdint>

class QWidget;

// Handing a document or a web address to the desktop: documents and addresses
// go to the desktop's opener (xdg-open, found on PATH), programs start
// detached. The outcome is reported as a shell result number, and a failure
// is recorded as the last error with its number and text.
namespace shell {

// Error numbers of the failures that have no number of their own are this
// base plus the shell result.
inline constexpr std::int32_t kErrorBase = -2147220456;

// Show commands.
inline constexpr std::int32_t kShowHidden = 0;
inline constexpr std::int32_t kShowNormal = 1;

// What the shell result of an accepted request looks like.
inline constexpr std::int32_t kAccepted = 42;

// How long a request may keep the window waiting for the opener's verdict;
// an opener still running then has taken the request.
inline constexpr int kOpenerWaitMs = 3000;

struct Failure {
    std::int32_t number = 0;
    QString text;
};

// True for a result above 32 or below 0.
bool accepted(std::int32_t shellResult);
// The error number and text of a failed result (0..32).
Failure failureFor(std::int32_t shellResult);

// The call the shell receives for one request.
struct Call {
    QString operation;
    QString file;
    QString parameters;
    QString folder;
    std::int32_t showCommand = kShowNormal;
};
// Applies the ".EXE" rule and the two call patterns: with neither parameters
// nor folder the request opens normally whatever style the caller asked for.
Call planCall(const QString &file, std::int32_t windowStyle, const QString &parameters,
              const QString &folder, const QString &operation);

// How the desktop opener ended, and the shell result that stands for it.
enum class OpenerEnd { Missing, Exited, Crashed, StillRunning };
std::int32_t resultOfOpener(OpenerEnd end, int exitStatus = 0);

// The platform call: carries out one request and returns the shell result.
// Waits at most kOpenerWaitMs for the opener, with window events processed.
std::int32_t ShellExecuteA(QWidget *owner, const QString &operation, const QString &file,
                           const QString &parameters, const QString &folder,
                           std::int32_t showCommand);

// The last failure recorded by ShellExecuteFile.
struct LastError {
    std::int32_t number = 0;
    QString description;
    QString source;
};
const LastError &lastError();
void setLastError(const LastError &error);
void clearLastError();

} // namespace shell

// Opens a document or an address, or starts a program, through the shell.
// True when the shell accepted the request; otherwise false, with the
// failure recorded in shell::lastError(). Never throws.
bool ShellExecuteFile(const QString &file, std::int32_t windowStyle, const QString &parameters,
                      const QString &folder, const QString &operation, QWidget *owner);
