#include "collections/Collections.h"

#include "collections/CollectionFile.h"
#include "platform/DialogService.h"
#include "platform/EventPump.h"
#include "platform/Log.h"
#include "platform/TextFile.h"
#include "settings/SettingsFiles.h"
#include "state/AppState.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

using platform::DialogService;
using platform::MsgButtons;
using platform::MsgIcon;

namespace {

std::optional<QString> savedMessage(int lingua)
{
    switch (lingua) {
    case 1: return QStringLiteral("Collection Saved with date and time info on:");
    case 2: return QStringLiteral("Collection salvata con data e ora su:");
    case 3: return QString::fromUtf8("Votre Collection a été faite en toute sécurité:");
    case 4: return QString::fromUtf8("Su Colección se hizo fuerte:");
    default: return std::nullopt;
    }
}

std::optional<QString> reloadedMessage(int lingua)
{
    if (lingua == 2)
        return QStringLiteral("Tabella ricaricata, riavviare il programma per ripristinare i tempi "
                              "corretti ad ogni immagine");
    if (lingua == 1 || lingua == 3 || lingua == 4)
        return QStringLiteral("Table reloaded, Please restart Cirrolith to trim exact time for every picture");
    return std::nullopt;
}

} // namespace

void Collections::SSTCfg_BackUpcnf_Click()
{
    settings.saveAll();
    hooks.showSaveProgress();

    const collection::Stamp stamp = collection::stampFor(now());
    const QString base = s.Cirrolith_Collections_Dir + u'/';
    const QString copy = base + collection::fileName(stamp, QStringLiteral(".dat"));
    QString failedPath, error;
    if (const auto listFile = platform::textfile::readAll(settings.pictureListPath())) {
        if (!platform::textfile::writeAtomic(copy, *listFile, &error))
            failedPath = copy;
    }

    QStringList selected;
    for (int i = 0; i < s.running.rowCount(); ++i) {
        if (s.running.isSelected(i))
            selected << s.running.rows()[i];
    }
    const QString xmlPath = base + collection::fileName(stamp, QStringLiteral(".xml"));
    if (failedPath.isEmpty() &&
        !platform::textfile::writeAtomic(xmlPath, collection::formatCollection(stamp, selected), &error))
        failedPath = xmlPath;
    if (!failedPath.isEmpty()) {
        qCWarning(lcSettings, "collection not saved: %s: %s", qPrintable(failedPath), qPrintable(error));
        // Never report a file as saved that is not on disk.
        DialogService::current().MsgBox(
            QStringLiteral("Collection not saved:\r\n") + QDir::toNativeSeparators(failedPath) +
                QStringLiteral("\r\n") + error,
            MsgButtons::OK, MsgIcon::Critical);
        return;
    }
    qCInfo(lcSettings, "collection saved: %s", qPrintable(xmlPath));
    s.collectionName = QFileInfo(xmlPath).fileName();
    if (auto text = savedMessage(s.Lingua)) {
        // The name of the file as it is on disk.
        DialogService::current().MsgBox(*text + QStringLiteral("\r\n") + xmlPath, MsgButtons::OK);
    }
}

void Collections::SSTCfg_Loadcnf_Click()
{
    QApplication::beep();
    LoadCollection();
}

void Collections::LoadCollection()
{
    DialogService &dialogs = DialogService::current();
    platform::OpenFileRequest request;
    request.title = QStringLiteral("Restore or Load Configuration File");
    request.folder = QDir::currentPath();
    request.filterNames = {QStringLiteral("All Files")};
    request.filterPatterns = {QStringLiteral("*.xml")};
    const QString path = dialogs.ShowOpenFile(request);

    if (path.isEmpty() || path.startsWith(u' ')) {
        dialogs.MsgBox(QStringLiteral("INVALID FILE SELECTION - REPEAT PLEASE"), MsgButtons::OK,
                       MsgIcon::Critical);
        saveAndReload();
        return;
    }

    std::fill(s.ItemsCodePic.begin(), s.ItemsCodePic.begin() + kListLoopEnd, QStringLiteral("0"));
    for (int k = 0; k < s.running.rowCount() && k < kListSize; ++k)
        s.ItemsCodePic[k] = collection::CodeForMatch(s.running.rows()[k]);

    hooks.showWaitIcon();
    platform::EventPump::DoEvents();

    const std::optional<QStringList> codes = readCodes(path);
    if (!codes) {
        dialogs.MsgBox(QStringLiteral("Error: Failed to load xml data from file."), MsgButtons::OK);
        hooks.hideWaitIcon();
        // The default selection applies to a list without items, which has
        // nothing to select: the selection stays as it was.
        return;
    }
    selectCodes(*codes);
    s.collectionName = QFileInfo(path).fileName();

    hooks.hideWaitIcon();
    if (auto text = reloadedMessage(s.Lingua))
        dialogs.MsgBox(*text, MsgButtons::OK);
    saveAndReload();
}

std::optional<QStringList> Collections::readCodes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > collection::kMaxFileBytes)
        return std::nullopt;
    return collection::readCodes(file.read(collection::kMaxFileBytes + 1));
}

bool Collections::selectOnly(const QStringList &codes)
{
    const int items = std::min(s.running.rowCount(), kListSize);
    std::vector<int> rows;
    for (int k = 0; k < items; ++k) {
        const QString own = collection::CodeForMatch(s.running.rows()[k]);
        for (const QString &code : codes) {
            if (collection::codesMatch(own, code)) {
                rows.push_back(k);
                break;
            }
        }
    }
    if (rows.empty())
        return false;
    s.running.clearSelection();
    for (int k : rows)
        s.running.setSelected(k, true);
    return true;
}

void Collections::selectCodes(const QStringList &codes)
{
    const int items = std::min(s.running.rowCount(), kListSize);
    for (const QString &code : codes) {
        for (int k = 0; k < items; ++k) {
            if (collection::codesMatch(s.ItemsCodePic[k], code))
                s.running.setSelected(k, true);
        }
    }
}

void Collections::saveAndReload()
{
    hooks.showRunExitPage();
    settings.saveAll();
    hooks.showSaveProgress();
    settings.ReadPictureList();
    if (s.running.rowCount() == 0)
        DialogService::current().MsgBox(QStringLiteral("Error: reaload valid XML file"), MsgButtons::OK);
    s.settingsChanged = 1;
    s.GLOBAL_IMAGE_CURRENT_POINTER = 0;
}
