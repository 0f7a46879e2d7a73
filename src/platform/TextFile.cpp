#include "platform/TextFile.h"

#include <QFile>
#include <QFileInfo>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::textfile {

namespace {
// Code points of bytes 0x80..0x9F in Windows-1252; 0 marks the five unused bytes.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
} // namespace

QByteArray toCp1252(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out += static_cast<char>(u);
            continue;
        }
        char b = '?';
        for (int i = 0; i < 32; ++i) {
            if (kHigh[i] == u && u != 0) {
                b = static_cast<char>(0x80 + i);
                break;
            }
        }
        // The five unused bytes travel as the C1 controls of the same value.
        if (b == '?' && u >= 0x80 && u <= 0x9F && kHigh[u - 0x80] == 0)
            b = static_cast<char>(u);
        out += b;
    }
    return out;
}

QString fromCp1252(const QByteArray &bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x80 && b <= 0x9F && kHigh[b - 0x80] != 0)
            out += QChar(kHigh[b - 0x80]);
        else
            out += QChar(static_cast<char16_t>(b));
    }
    return out;
}

AtomicFile::AtomicFile(QString path, WriteOptions options)
    : m_path(std::move(path)), m_options(options)
{
}

AtomicFile::~AtomicFile() { discard(); }

bool AtomicFile::open()
{
    discard();
    m_failed = false;
    m_error.clear();
    const QFileInfo info(m_path);
    const QByteArray target = QFile::encodeName(m_path);
    struct stat st {};
    const bool exists = ::lstat(target.constData(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode))
        return fail("open", EISDIR);

    // Hidden name beside the target, so the rename stays within one file system.
    QByteArray name = QFile::encodeName(info.absolutePath()) + "/." +
                      QFile::encodeName(info.fileName()) + ".XXXXXX";
    m_fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (m_fd < 0)
        return fail("open", errno);
    m_temp = name;

    // The replacement keeps the permissions of the file it replaces (not of
    // a link's target); a new file gets the usual ones.
    mode_t mode;
    if (m_options.privateToOwner) {
        mode = S_IRUSR | S_IWUSR;
    } else if (exists && S_ISREG(st.st_mode)) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(m_fd, mode) != 0)
        return fail("open", errno);
    return true;
}

bool AtomicFile::write(const char *data, qint64 size)
{
    if (m_failed || m_fd < 0)
        return false;
    while (size > 0) {
        const ssize_t n = ::write(m_fd, data, static_cast<size_t>(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail("write", errno);
        }
        if (n == 0)
            return fail("write", EIO);
        data += n;
        size -= n;
    }
    return true;
}

bool AtomicFile::commit()
{
    if (m_failed || m_fd < 0)
        return false;
    // Errors the writes did not show (delayed allocation, network file
    // systems) surface here, before anything replaces the old file.
    if (::fsync(m_fd) != 0)
        return fail("sync", errno);
    const int fd = std::exchange(m_fd, -1);
    if (::close(fd) != 0)
        return fail("close", errno);
    if (::rename(m_temp.constData(), QFile::encodeName(m_path).constData()) != 0)
        return fail("rename", errno);
    m_temp.clear();
    // The rename itself reaches the disk with the folder's entry.
    const int dir = ::open(QFile::encodeName(QFileInfo(m_path).absolutePath()).constData(),
                           O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

void AtomicFile::cancel() { discard(); }

void AtomicFile::discard()
{
    if (m_fd >= 0)
        ::close(std::exchange(m_fd, -1));
    if (!m_temp.isEmpty())
        ::unlink(m_temp.constData());
    m_temp.clear();
}

bool AtomicFile::fail(const char *step, int err)
{
    m_failed = true;
    m_error = QString::fromLocal8Bit(std::strerror(err));
    std::fprintf(stderr, "cirrolith: cannot %s %s: %s\n", step, qPrintable(m_path),
                 qPrintable(m_error));
    discard();
    return false;
}

bool writeAtomic(const QString &path, const QByteArray &bytes, QString *error, WriteOptions options)
{
    AtomicFile file(path, options);
    const bool ok = file.open() && file.write(bytes) && file.commit();
    if (!ok && error)
        *error = file.errorString();
    return ok;
}

bool writeIfChanged(const QString &path, const QByteArray &bytes, QString *error, WriteOptions options)
{
    if (readAll(path) == bytes)
        return true;
    return writeAtomic(path, bytes, error, options);
}

std::optional<QByteArray> readAll(const QString &path, QString *error)
{
    const auto fail = [error](const QString &why) -> std::optional<QByteArray> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    // Opened without waiting and checked before reading: a FIFO or a device
    // in place of a file would otherwise block the window or never end.
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    struct stat st = {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return fail(QStringLiteral("not a regular file"));
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return fail(file.errorString());
    }
    return file.readAll();
}

std::optional<QString> LineReader::next()
{
    if (m_pos >= m_bytes.size())
        return std::nullopt;
    qsizetype end = m_pos;
    while (end < m_bytes.size() && m_bytes[end] != '\r' && m_bytes[end] != '\n')
        ++end;
    QString line = fromCp1252(m_bytes.mid(m_pos, end - m_pos));
    m_pos = end;
    if (m_pos < m_bytes.size() && m_bytes[m_pos] == '\r')
        ++m_pos;
    if (m_pos < m_bytes.size() && m_bytes[m_pos] == '\n')
        ++m_pos;
    return line;
}

} // namespace platform::textfile
