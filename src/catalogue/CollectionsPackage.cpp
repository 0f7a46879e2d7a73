#include "catalogue/CollectionsPackage.h"

#include "platform/TextFile.h"

#include <QDir>
#include <QFile>

#include <archive.h>
#include <archive_entry.h>

#include <memory>

namespace {

struct ArchiveCloser {
    void operator()(archive *a) const { archive_read_free(a); }
};

} // namespace

bool isPlainName(const QString &name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (QChar c : name) {
        if (c == u'/' || c == u'\\' || c == u':' || c.unicode() < 0x20)
            return false;
    }
    return true;
}

UnpackResult unpackCollections(const QString &packagePath, const QString &folder)
{
    UnpackResult result;
    std::unique_ptr<archive, ArchiveCloser> in(archive_read_new());
    archive_read_support_filter_all(in.get());
    archive_read_support_format_all(in.get());
    // A zip with a program in front of it: found by its central directory.
    archive_read_support_format_zip_seekable(in.get());
    const QByteArray path = QFile::encodeName(packagePath);
    if (archive_read_open_filename(in.get(), path.constData(), 64 * 1024) != ARCHIVE_OK)
        return result;
    result.opened = true;

    const QDir dir(folder);
    archive_entry *entry = nullptr;
    int status;
    while ((status = archive_read_next_header(in.get(), &entry)) == ARCHIVE_OK ||
           status == ARCHIVE_WARN) {
        const char *rawName = archive_entry_pathname(entry);
        const QString name = rawName ? QFile::decodeName(rawName) : QString();
        const bool regular = archive_entry_filetype(entry) == AE_IFREG &&
                             !archive_entry_hardlink(entry) && !archive_entry_symlink(entry);
        if (!regular || !isPlainName(name) ||
            (archive_entry_size_is_set(entry) &&
             archive_entry_size(entry) > kMaxCollectionFileBytes)) {
            result.skipped << name;
            continue;
        }

        // Written beside the target and renamed over it: a link already in
        // the folder is replaced, never followed.
        platform::textfile::AtomicFile out(dir.filePath(name));
        bool ok = out.open();
        qint64 total = 0;
        char buffer[64 * 1024];
        la_ssize_t got = 0;
        while (ok && (got = archive_read_data(in.get(), buffer, sizeof buffer)) > 0) {
            total += got;
            ok = total <= kMaxCollectionFileBytes && out.write(buffer, got);
        }
        if (ok && got < 0)
            ok = false;
        if (ok && out.commit()) {
            result.written << name;
        } else {
            out.cancel();
            result.skipped << name;
        }
    }
    return result;
}
