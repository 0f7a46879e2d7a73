#include "settings/SettingsFiles.h"

#include "platform/DialogService.h"
#include "platform/EventPump.h"
#include "platform/Log.h"
#include "platform/TextFile.h"
#include "settings/ConfigFile.h"
#include "settings/PictureListFile.h"
#include "settings/SettingsMessages.h"
#include "state/AppState.h"
#include "state/DiagnosticsSink.h"
#include "state/WindowClocks.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>

using platform::DialogService;
using platform::MsgButtons;
using platform::MsgIcon;

const char *const SettingsFiles::kResetFiles[4] = {
    "Cirrolith4_Picture_List.dat",
    "Cirrolith4_Config.dat",
    "Cirrolith4_Proxy.dat",
    "Cirrolith4_Language.dat",
};

QString SettingsFiles::configPath() const { return s.workDirPrefix + QLatin1String(kConfigFileName); }

QString SettingsFiles::pictureListPath() const
{
    return s.workDirPrefix + QLatin1String(kPictureListFileName);
}

bool SettingsFiles::ReadConfig()
{
    // Only a missing file is a first run. One that is there but short or
    // damaged keeps what it holds and takes the defaults for the rest: the
    // language, proxy and picture list are the user's and stay.
    if (!QFile::exists(configPath())) {
        clocks.imgClock.setEnabled(false);
        s.configValid = false;
        DeleteConfigFiles();
        return false;
    }
    const QByteArray bytes = platform::textfile::readAll(configPath()).value_or(QByteArray());
    const ConfigRead read = parseConfig(bytes);
    // Read at start-up and at every synchronisation: each fault is told once.
    const bool tell = bytes != m_toldConfig;
    m_toldConfig = bytes;
    if (tell && !read.complete())
        qCWarning(lcSettings).noquote() << QLatin1String(kConfigFileName) << "is short or damaged; defaults for:"
                                        << read.defaulted.join(QStringLiteral(", "));

    // The file obeys the panel's bounds: a slide time of 0 would stop the
    // show, a negative reload period download all the time. No message:
    // nobody may be there to click it.
    const TimerCheck check = checkTimers(read.values.downloadMinutes, read.values.slideSeconds);
    if (tell && !check.problems.empty())
        qCWarning(lcSettings).noquote() << "timers out of bounds in" << QLatin1String(kConfigFileName) << "read as"
                                        << check.downloadMinutes << "min," << check.slideSeconds << "s";
    s.running.setReloadMinutes(check.downloadMinutes);
    s.running.setSlideSeconds(check.slideSeconds);
    const ConfigValues *values = &read.values;

    s.running.setOwnPicture(values->ownPicture);
    s.ownPictureFile = values->ownPicture;
    if (values->displayMode == QLatin1String(kFullScreen)) {
        s.displayMode = 1;
        s.running.setDisplayMode(QString::fromLatin1(kFullScreen));
    } else {
        s.displayMode = 0;
        s.running.setDisplayMode(QString::fromLatin1(kNormal));
    }
    hooks.showDisplayModeName();
    s.configValid = true;
    return true;
}

bool SettingsFiles::SaveConfig(OnFailure onFailure)
{
    if (s.restartPending)
        return true;

    // Files are replaced whole or not at all, so a failed write (a full disk)
    // leaves the previous settings intact: they stay, rather than being
    // deleted into a first run.
    auto fail = [this, onFailure] {
        qCWarning(lcSettings, "settings not saved; the previous ones stay");
        clocks.imgClock.setEnabled(false);
        if (auto text = configWriteFailureMessage(s.Lingua)) {
            if (onFailure == OnFailure::NoticeWhileQuitting)
                DialogService::current().Notice(*text, MsgIcon::None, QString(), kQuitNoticeMs);
            else
                DialogService::current().MsgBox(*text, MsgButtons::OK);
        }
        return false;
    };
    if (!WritePictureList())
        return fail();

    // Correct the timer boxes, each correction with its message.
    const TimerCheck check =
        checkTimers(s.running.reloadMinutes(), s.running.slideSeconds());
    for (TimerProblem problem : check.problems) {
        const bool download = problem == TimerProblem::DownloadNotNumeric ||
                              problem == TimerProblem::DownloadTooSmall;
        // Each box shows its corrected value by the time its message is read,
        // except the slide timer's not-numeric case, which is corrected after.
        if (download)
            s.running.setReloadMinutes(check.downloadMinutes);
        else if (problem == TimerProblem::SlideTooSmall)
            s.running.setSlideSeconds(check.slideSeconds);
        qCWarning(lcSettings, "%s timer value refused, saved as corrected", download ? "download" : "slide");
        if (auto msg = timerMessage(problem, s.Lingua))
            DialogService::current().MsgBox(msg->text, MsgButtons::OK, MsgIcon::Exclamation, msg->title);
    }
    s.running.setReloadMinutes(check.downloadMinutes);
    s.running.setSlideSeconds(check.slideSeconds);

    ConfigValues values;
    values.downloadMinutes = check.downloadMinutes;
    values.slideSeconds = check.slideSeconds;
    values.displayMode = s.running.displayMode();
    values.ownPicture = s.running.ownPicture();
    if (!platform::textfile::writeAtomic(configPath(), formatConfig(values)))
        return fail();
    qCInfo(lcSettings, "settings saved: pictures every %s min, slides %s s, %s",
           qPrintable(values.downloadMinutes), qPrintable(values.slideSeconds), qPrintable(values.displayMode));
    return true;
}

void SettingsFiles::saveAll()
{
    hooks.lockSaving();
    SaveConfig();
    platform::EventPump::Sleep(500);
    hooks.unlockRunning();
    s.settingsChanged = 0;
}

bool SettingsFiles::WritePictureList()
{
    std::vector<PictureListEntry> entries;
    if (!s.configValid) {
        entries = defaultPictureList();
    } else if (s.running.rowCount() == 0) {
        // The panel's list was never filled in this run (a quit from the
        // slideshow, by key or on a fatal condition): it says nothing about
        // the selection, so the stored one is written back unchanged rather
        // than replaced by an empty one.
        const auto bytes = platform::textfile::readAll(pictureListPath());
        if (bytes)
            entries = parsePictureList(*bytes);
        RecordSelection(true);
        for (const PictureListEntry &e : entries)
            RecordSelection(false, e.position + 1);
    } else {
        RecordSelection(true);
        for (int i = 0; i < s.running.rowCount(); ++i) {
            if (!s.running.isSelected(i))
                continue;
            const std::int16_t id = i < kListSize ? s.listIdUrl[i] : 0;
            if (id == kRefusedId)
                continue;   // saved, it would come back as another picture
            entries.push_back({i, QString::number(id)});
            RecordSelection(false, i + 1);
        }
    }
    return platform::textfile::writeAtomic(pictureListPath(), formatPictureList(entries));
}

void SettingsFiles::ReadPictureList()
{
    QStringList rows;
    for (int i = 0; i < kListSize && !s.listURL[i].isEmpty(); ++i)
        rows << QStringLiteral(" - ") + s.listURLcomment[i];
    // Rows and selection go to the panel's list at once: one selection at a
    // time would walk the whole list for each of up to two thousand rows.
    std::vector<bool> selected(rows.size(), false);
    if (auto bytes = platform::textfile::readAll(pictureListPath())) {
        for (const PictureListEntry &e : parsePictureList(*bytes)) {
            if (e.position >= 0 && e.position < rows.size())
                selected[e.position] = true;
        }
    }
    // The list is made anew even when its rows are the same, as before.
    s.running.setRows({});
    s.running.setList(rows, selected);
}

void SettingsFiles::RecordSelection(bool reset, int value)
{
    if (reset) {
        const QLocale locale;
        const QDateTime now = QDateTime::currentDateTime();
        s.LastUpdate = QStringLiteral(" - RFRS:") + locale.toString(now.date(), QLocale::ShortFormat) +
                       u' ' + locale.toString(now.time(), QLocale::ShortFormat);
        hooks.showCreditLine(s.weAre + s.Aggiornare + s.LastUpdate);
        s.selectionCount = 0;
        std::fill(s.listIdCopyright.begin(), s.listIdCopyright.begin() + kListLoopEnd, 0);
    } else if (s.selectionCount >= 0 && s.selectionCount < kListSize) {
        // The record holds at most one entry per list slot; later ones are dropped.
        s.listIdCopyright[s.selectionCount] = static_cast<std::int16_t>(value);
        ++s.selectionCount;
    }
    if (diagnostics)
        diagnostics->refreshDump();
}

void SettingsFiles::DeleteConfigFiles()
{
    qCInfo(lcSettings, "configuration erased");
    for (const char *name : kResetFiles) {
        const QString path = s.workDirPrefix + QLatin1String(name);
        if (QFile::exists(path)) {
            QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::WriteOwner);
            QFile::remove(path);
        }
    }
}
