#include "collections/Collections.h"

#include "collections/CollectionFile.h"
#include "core/FormPicture.h"
#include "panel/SetupPanel.h"
#include "platform/DialogService.h"
#include "platform/EventPump.h"
#include "platform/Log.h"
#include "platform/TextFile.h"

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

Collections::Collections(FormPicture &form) : w(form)
{
    SetupPanel &p = *w.SSTCfg;
    QObject::connect(p.SSTCfg_BackUpcnf, &platform::ClickLabel::clicked, &m_connections,
                     [this] { SSTCfg_BackUpcnf_Click(); });
    QObject::connect(p.SSTCfg_Loadcnf, &platform::ClickLabel::clicked, &m_connections,
                     [this] { SSTCfg_Loadcnf_Click(); });
}

void Collections::SSTCfg_BackUpcnf_Click()
{
    w.settings.saveAll();
    w.SSTCfg->ShowSaveProgress();

    const collection::Stamp stamp = collection::stampFor(now());
    const QString base = w.Cirrolith_Collections_Dir + u'/';
    const QString copy = base + collection::fileName(stamp, QStringLiteral(".dat"));
    QString failedPath, error;
    if (const auto listFile = platform::textfile::readAll(w.settings.pictureListPath())) {
        if (!platform::textfile::writeAtomic(copy, *listFile, &error))
            failedPath = copy;
    }

    QStringList selected;
    QListWidget *list = w.SSTCfg->Tabella_Mappe_Selezionate;
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->isSelected())
            selected << list->item(i)->text();
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
    if (auto text = savedMessage(w.Lingua)) {
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
    SetupPanel &p = *w.SSTCfg;
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

    QListWidget *list = p.Tabella_Mappe_Selezionate;
    std::fill(w.ItemsCodePic.begin(), w.ItemsCodePic.begin() + kListLoopEnd, QStringLiteral("0"));
    for (int k = 0; k < list->count() && k < kListSize; ++k)
        w.ItemsCodePic[k] = collection::CodeForMatch(list->item(k)->text());

    p.Wait_Ico->show();
    p.Wait_Ico->raise();
    platform::EventPump::DoEvents();

    std::optional<QStringList> codes;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly) && file.size() <= collection::kMaxFileBytes)
        codes = collection::readCodes(file.read(collection::kMaxFileBytes + 1));
    if (!codes) {
        dialogs.MsgBox(QStringLiteral("Error: Failed to load xml data from file."), MsgButtons::OK);
        p.Wait_Ico->hide();
        // The default selection applies to a list without items, which has
        // nothing to select: the selection stays as it was.
        return;
    }
    selectCodes(*codes);

    p.Wait_Ico->hide();
    if (auto text = reloadedMessage(w.Lingua))
        dialogs.MsgBox(*text, MsgButtons::OK);
    saveAndReload();
}

void Collections::selectCodes(const QStringList &codes)
{
    QListWidget *list = w.SSTCfg->Tabella_Mappe_Selezionate;
    const int items = std::min(list->count(), kListSize);
    for (const QString &code : codes) {
        for (int k = 0; k < items; ++k) {
            if (collection::codesMatch(w.ItemsCodePic[k], code))
                list->item(k)->setSelected(true);
        }
    }
}

void Collections::saveAndReload()
{
    SetupPanel &p = *w.SSTCfg;
    p.setCurrentIndex(SetupPanel::TabRunExit);
    w.settings.saveAll();
    p.ShowSaveProgress();
    w.settings.ReadPictureList();
    if (p.Tabella_Mappe_Selezionate->count() == 0)
        DialogService::current().MsgBox(QStringLiteral("Error: reaload valid XML file"), MsgButtons::OK);
    w.settingsChanged = 1;
    w.GLOBAL_IMAGE_CURRENT_POINTER = 0;
}
