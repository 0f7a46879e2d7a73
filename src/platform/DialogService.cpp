#include "platform/DialogService.h"

#include "platform/Clock.h"

#include <QApplication>
#include <QTimer>
#include <QFileDialog>
#include <QMessageBox>

#include <algorithm>
#include <cstdio>

namespace platform {

namespace {
DialogService *g_installed = nullptr;

MsgResult firstButton(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::YesNo:
    case MsgButtons::YesNoCancel:
        return MsgResult::Yes;
    case MsgButtons::RetryCancel:
        return MsgResult::Retry;
    default:
        return MsgResult::OK;
    }
}
} // namespace

QString DialogService::defaultTitle() { return QStringLiteral("Cirrolith"); }

DialogService &DialogService::current()
{
    static InteractiveDialogs interactive;
    return g_installed ? *g_installed : interactive;
}

void DialogService::install(DialogService *service) { g_installed = service; }

// Without a screen nobody could answer a dialog: the message goes to the
// error stream and the first button is taken, so a headless run never hangs.
static bool headless()
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return true;
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
}

MsgResult InteractiveDialogs::MsgBox(const QString &text, MsgButtons buttons, MsgIcon icon,
                                     const QString &title)
{
    if (headless()) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(title.isEmpty() ? defaultTitle() : title),
                     qPrintable(text));
        return firstButton(buttons);
    }

    QMessageBox box;
    box.setWindowTitle(title.isEmpty() ? defaultTitle() : title);
    // Texts may carry catalogue or file content: never read as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    switch (icon) {
    case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MsgIcon::None: break;
    }
    switch (buttons) {
    case MsgButtons::OK: box.setStandardButtons(QMessageBox::Ok); break;
    case MsgButtons::OKCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case MsgButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case MsgButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    case MsgButtons::RetryCancel:
        box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok: return MsgResult::OK;
    case QMessageBox::Yes: return MsgResult::Yes;
    case QMessageBox::No: return MsgResult::No;
    case QMessageBox::Retry: return MsgResult::Retry;
    default: return MsgResult::Cancel;
    }
}

void InteractiveDialogs::Notice(const QString &text, MsgIcon icon, const QString &title, int nominalMs)
{
    if (headless()) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(title.isEmpty() ? defaultTitle() : title),
                     qPrintable(text));
        return;
    }
    QMessageBox box;
    box.setWindowTitle(title.isEmpty() ? defaultTitle() : title);
    box.setText(text);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.setStandardButtons(QMessageBox::Ok);
    if (icon == MsgIcon::Information)
        box.setIcon(QMessageBox::Information);
    else if (icon == MsgIcon::Exclamation)
        box.setIcon(QMessageBox::Warning);
    else if (icon == MsgIcon::Critical)
        box.setIcon(QMessageBox::Critical);
    QTimer::singleShot(Clock::toReal(std::max(nominalMs, 1)), &box, [&box] { box.done(QMessageBox::Ok); });
    box.exec();
}

QString InteractiveDialogs::ShowOpenFile(const OpenFileRequest &request)
{
    if (headless())
        return QString();
    QStringList filters;
    for (int i = 0; i < request.filterNames.size() && i < request.filterPatterns.size(); ++i)
        filters << QStringLiteral("%1 (%2)").arg(request.filterNames[i],
                                                 QString(request.filterPatterns[i]).replace(';', ' '));
    return QFileDialog::getOpenFileName(nullptr, request.title, request.folder, filters.join(";;"));
}

MsgResult ScriptedDialogs::MsgBox(const QString &text, MsgButtons buttons, MsgIcon icon,
                                  const QString &title)
{
    MsgResult result = firstButton(buttons);
    if (!m_answers.empty()) {
        result = m_answers.front();
        m_answers.pop_front();
    }
    m_shown.push_back({text, title.isEmpty() ? defaultTitle() : title, buttons, icon, result});
    if (onShow)
        onShow(m_shown.back());
    return result;
}

void ScriptedDialogs::Notice(const QString &text, MsgIcon icon, const QString &title, int nominalMs)
{
    m_shown.push_back({text, title.isEmpty() ? defaultTitle() : title, MsgButtons::OK, icon, MsgResult::OK,
                       std::max(nominalMs, 1)});
    if (onShow)
        onShow(m_shown.back());
}

QString ScriptedDialogs::ShowOpenFile(const OpenFileRequest &request)
{
    m_fileRequests.push_back(request);
    if (m_files.empty())
        return QString();
    QString path = m_files.front();
    m_files.pop_front();
    return path;
}

QStringList ScriptedDialogs::texts() const
{
    QStringList out;
    for (const auto &s : m_shown)
        out << s.text;
    return out;
}

} // namespace platform
