#include "platform/TextFile.h"

#include <QFile>
#include <QSaveFile>

#include <array>

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

bool writeAtomic(const QString &path, const QByteArray &bytes, QString *error, WriteOptions options)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    if (options.privateToOwner)
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (file.write(bytes) != bytes.size()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    if (options.privateToOwner)
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return true;
}

std::optional<QByteArray> readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
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
