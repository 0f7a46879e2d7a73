#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>
#include <QStringList>

#include <optional>

// Settings files: Windows-1252 text with CR LF line ends. Writes are atomic (a
// temporary file beside the target, renamed into place) so a file is either
// the old one or the whole new one, never half written or emptied.
namespace platform::textfile {

QByteArray toCp1252(const QString &text);     // unmappable characters become '?'
QString fromCp1252(const QByteArray &bytes);

// Builds file content from text pieces; line() appends CR LF.
class Writer {
public:
    Writer &text(const QString &s) { m_bytes += toCp1252(s); return *this; }
    Writer &line(const QString &s = QString()) { text(s); m_bytes += "\r\n"; return *this; }
    const QByteArray &bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

struct WriteOptions {
    // Owner read/write only, for files that hold a password.
    bool privateToOwner = false;
};

// The one way the program replaces a file: the content goes to a temporary
// file beside the target, every write is checked, the data is synced to disk,
// and only then is it renamed over the target. A full disk or a file-size
// limit therefore fails the write and keeps the old file as it was, instead of
// renaming a short or empty file into place. A link at the target is
// replaced, never followed. Each failure is also written to stderr, so none
// passes silently in an unattended run.
class AtomicFile {
public:
    explicit AtomicFile(QString path, WriteOptions options = {});
    ~AtomicFile();   // an uncommitted temporary file is removed
    AtomicFile(const AtomicFile &) = delete;
    AtomicFile &operator=(const AtomicFile &) = delete;

    bool open();
    bool write(const char *data, qint64 size);
    bool write(const QByteArray &bytes) { return write(bytes.constData(), bytes.size()); }
    // Syncs, closes and renames into place; false (old file kept) on any error
    // so far or now.
    bool commit();
    // Drops the temporary file; the target stays as it was.
    void cancel();
    const QString &errorString() const { return m_error; }

private:
    bool fail(const char *step, int err);
    void discard();

    QString m_path;
    WriteOptions m_options;
    QByteArray m_temp;
    int m_fd = -1;
    bool m_failed = false;
    QString m_error;
};

// Writes the bytes to path through AtomicFile. On failure returns false,
// leaves any existing file untouched and puts the reason into *error.
bool writeAtomic(const QString &path, const QByteArray &bytes, QString *error = nullptr,
                 WriteOptions options = {});

// writeAtomic, but a file that already holds these bytes is left alone: the
// files a clock re-applies are not rewritten at every tick.
bool writeIfChanged(const QString &path, const QByteArray &bytes, QString *error = nullptr,
                    WriteOptions options = {});

// The whole file, or nothing when it cannot be opened or is no regular file
// (a FIFO, a device, a folder); the reason goes into *error.
std::optional<QByteArray> readAll(const QString &path, QString *error = nullptr);

// Reads lines the way the settings readers expect: a line ends at CR LF, LF or
// CR; the last line need not be terminated; next() past the end gives nothing,
// which readers treat as a file that ended early.
class LineReader {
public:
    explicit LineReader(QByteArray bytes) : m_bytes(std::move(bytes)) {}
    std::optional<QString> next();
    bool atEnd() const { return m_pos >= m_bytes.size(); }

private:
    QByteArray m_bytes;
    qsizetype m_pos = 0;
};

} // namespace platform::textfile
