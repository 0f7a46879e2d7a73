#include "settings/SettingsFiles.h"

#include "core/FormPicture.h"
#include "diagnostics/Diagnostics.h"
#include "panel/SetupPanel.h"
#include "platform/DialogService.h"
#include "platform/EventPump.h"
#include "platform/Log.h"
#include "platform/TextFile.h"
#include "settings/ConfigFile.h"
#include "settings/PictureListFile.h"
#include "settings/SettingsMessages.h"

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

QString SettingsFiles::configPath() const { return w.workDirPrefix + QLatin1String(kConfigFileName); }

QString SettingsFiles::pictureListPath() const
{
    return w.workDirPrefix + QLatin1String(kPictureListFileName);
}

bool SettingsFiles::ReadConfig()
{
    std::optional<ConfigValues> values;
    if (auto bytes = platform::textfile::readAll(configPath())) {
        // Like the original reader, values already read reach the controls
        // even when the file turns out to be short.
        platform::textfile::LineReader reader(*bytes);
        auto first = reader.next();
        if (first && !first->isEmpty()) {
            // The file obeys the panel's bounds: a slide time of 0 would stop
            // the show, a negative reload period download all the time. No
            // message: nobody may be there to click it.
            const auto second = reader.next();
            const TimerCheck check = checkTimers(*first, second.value_or(QStringLiteral("1")));
            if (!check.problems.empty())
                qCWarning(lcSettings).noquote()
                    << "timers out of bounds in" << QLatin1String(kConfigFileName) << "read as"
                    << check.downloadMinutes << "min," << check.slideSeconds << "s";
            w.SSTCfg->SSTCfg_timeDwLoad->setText(check.downloadMinutes);
            if (second)
                w.SSTCfg->SSTCfg_timeRefresh->setText(check.slideSeconds);
        }
        values = parseConfig(*bytes);
    }
    if (!values) {
        w.imgClock.setEnabled(false);
        w.configValid = false;
        DeleteConfigFiles();
        return false;
    }

    w.SSTCfg->SSTCfg_LblinserisciImg->setText(values->ownPicture);
    w.ownPictureFile = values->ownPicture;
    if (values->displayMode == QLatin1String(kFullScreen)) {
        w.displayMode = 1;
        w.SSTCfg->txtDisplay->setText(QString::fromLatin1(kFullScreen));
    } else {
        w.displayMode = 0;
        w.SSTCfg->txtDisplay->setText(QString::fromLatin1(kNormal));
    }
    w.ShowDisplayModeName();
    w.configValid = true;
    return true;
}

void SettingsFiles::SaveConfig()
{
    if (w.restartPending)
        return;

    // Files are replaced whole or not at all, so a failed write (a full disk)
    // leaves the previous settings intact: they stay, rather than being
    // deleted into a first run.
    auto fail = [this] {
        qCWarning(lcSettings, "settings not saved; the previous ones stay");
        w.imgClock.setEnabled(false);
        if (auto text = configWriteFailureMessage(w.Lingua))
            DialogService::current().MsgBox(*text, MsgButtons::OK);
    };
    if (!WritePictureList()) {
        fail();
        return;
    }

    // Correct the timer boxes, each correction with its message.
    const TimerCheck check =
        checkTimers(w.SSTCfg->SSTCfg_timeDwLoad->text(), w.SSTCfg->SSTCfg_timeRefresh->text());
    for (TimerProblem problem : check.problems) {
        const bool download = problem == TimerProblem::DownloadNotNumeric ||
                              problem == TimerProblem::DownloadTooSmall;
        // Each box shows its corrected value by the time its message is read,
        // except the slide timer's not-numeric case, which is corrected after.
        if (download)
            w.SSTCfg->SSTCfg_timeDwLoad->setText(check.downloadMinutes);
        else if (problem == TimerProblem::SlideTooSmall)
            w.SSTCfg->SSTCfg_timeRefresh->setText(check.slideSeconds);
        qCWarning(lcSettings, "%s timer value refused, saved as corrected", download ? "download" : "slide");
        if (auto msg = timerMessage(problem, w.Lingua))
            DialogService::current().MsgBox(msg->text, MsgButtons::OK, MsgIcon::Exclamation, msg->title);
    }
    w.SSTCfg->SSTCfg_timeDwLoad->setText(check.downloadMinutes);
    w.SSTCfg->SSTCfg_timeRefresh->setText(check.slideSeconds);

    ConfigValues values;
    values.downloadMinutes = check.downloadMinutes;
    values.slideSeconds = check.slideSeconds;
    values.displayMode = w.SSTCfg->txtDisplay->text();
    values.ownPicture = w.SSTCfg->SSTCfg_LblinserisciImg->text();
    if (!platform::textfile::writeAtomic(configPath(), formatConfig(values)))
        fail();
    else
        qCInfo(lcSettings, "settings saved: pictures every %s min, slides %s s, %s",
               qPrintable(values.downloadMinutes), qPrintable(values.slideSeconds), qPrintable(values.displayMode));
}

void SettingsFiles::saveAll()
{
    SetupPanel &p = *w.SSTCfg;
    p.SSTCfg_salvaConfig->setEnabled(false);
    p.SSTCfg_salvaConfig2->setEnabled(false);
    p.SSTCfg_cmdConferma->setEnabled(false);
    p.SSTCfg_ExitProgram->setEnabled(false);
    SaveConfig();
    platform::EventPump::Sleep(500);
    p.SSTCfg_cmdConferma->setEnabled(true);
    p.SSTCfg_ExitProgram->setEnabled(true);
    w.settingsChanged = 0;
}

bool SettingsFiles::WritePictureList()
{
    std::vector<PictureListEntry> entries;
    if (!w.configValid) {
        entries = defaultPictureList();
    } else if (w.SSTCfg->Tabella_Mappe_Selezionate->count() == 0) {
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
        QListWidget *list = w.SSTCfg->Tabella_Mappe_Selezionate;
        for (int i = 0; i < list->count(); ++i) {
            if (!list->item(i)->isSelected())
                continue;
            const std::int16_t id = i < kListSize ? w.listIdUrl[i] : 0;
            entries.push_back({i, QString::number(id)});
            RecordSelection(false, i + 1);
        }
    }
    return platform::textfile::writeAtomic(pictureListPath(), formatPictureList(entries));
}

void SettingsFiles::ReadPictureList()
{
    QListWidget *list = w.SSTCfg->Tabella_Mappe_Selezionate;
    list->clear();
    for (int i = 0; i < kListSize && !w.listURL[i].isEmpty(); ++i)
        list->addItem(QStringLiteral(" - ") + w.listURLcomment[i]);

    auto bytes = platform::textfile::readAll(pictureListPath());
    if (!bytes)
        return;
    for (const PictureListEntry &e : parsePictureList(*bytes)) {
        if (e.position >= 0 && e.position < list->count())
            list->item(e.position)->setSelected(true);
    }
}

void SettingsFiles::RecordSelection(bool reset, int value)
{
    if (reset) {
        const QLocale locale;
        const QDateTime now = QDateTime::currentDateTime();
        w.LastUpdate = QStringLiteral(" - RFRS:") + locale.toString(now.date(), QLocale::ShortFormat) +
                       u' ' + locale.toString(now.time(), QLocale::ShortFormat);
        w.whoWeAre->setText(w.weAre + w.Aggiornare + w.LastUpdate);
        w.selectionCount = 0;
        std::fill(w.listIdCopyright.begin(), w.listIdCopyright.begin() + kListLoopEnd, 0);
    } else if (w.selectionCount >= 0 && w.selectionCount < kListSize) {
        // The record holds at most one entry per list slot; later ones are dropped.
        w.listIdCopyright[w.selectionCount] = static_cast<std::int16_t>(value);
        ++w.selectionCount;
    }
    if (w.diagnostics)
        w.diagnostics->RefreshDebugDump();
}

void SettingsFiles::DeleteConfigFiles()
{
    qCInfo(lcSettings, "configuration erased");
    for (const char *name : kResetFiles) {
        const QString path = w.workDirPrefix + QLatin1String(name);
        if (QFile::exists(path)) {
            QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::WriteOwner);
            QFile::remove(path);
        }
    }
}
