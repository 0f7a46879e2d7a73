#include "platform/TextFile.h"
#include "platform/Units.h"
#include "support/FileSizeLimit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace platform;

TEST(Units, RoundingGoesToEvenOnHalves)
{
    EXPECT_EQ(units::roundHalfEven(2.5), 2);
    EXPECT_EQ(units::roundHalfEven(3.5), 4);
    EXPECT_EQ(units::roundHalfEven(-2.5), -2);
    EXPECT_EQ(units::roundHalfEven(2.5000001), 3);
    EXPECT_EQ(units::roundHalfEven(3547.5), 3548);
    EXPECT_EQ(units::roundHalfEven(2527.5), 2528);
    EXPECT_EQ(units::toInt16(40000.0), 32767);
    EXPECT_EQ(units::toInt16(-40000.0), -32768);
    EXPECT_EQ(units::toInt16(14400.5), 14400);
}

TEST(Units, ConversionsAtScreenResolutions)
{
    EXPECT_DOUBLE_EQ(units::twipsPerPixel(96), 15.0);
    EXPECT_DOUBLE_EQ(units::twipsPerPixel(120), 12.0);
    EXPECT_DOUBLE_EQ(units::pixelsToTwips(1920, 96), 28800.0);
    EXPECT_EQ(units::twipsToPixels(22.5, 96), 2);     // 1.5 px -> 2
    EXPECT_EQ(units::twipsToPixels(37.5, 96), 2);     // 2.5 px -> 2
    // One inch is 1440 twips, 2540 HIMETRIC and 72 points.
    EXPECT_DOUBLE_EQ(units::twipsToHimetric(1440), 2540.0);
    EXPECT_DOUBLE_EQ(units::himetricToTwips(2540), 1440.0);
    EXPECT_DOUBLE_EQ(units::twipsToPoints(1440), 72.0);
    EXPECT_DOUBLE_EQ(units::pixelsToHimetric(96, 96), 2540.0);
}

TEST(TextFile, Cp1252RoundTripsTheWesternCharacters)
{
    const QString text = QStringLiteral("Atención! è € ‘x’ — Œ ÿ");
    const QByteArray bytes = textfile::toCp1252(text);
    EXPECT_EQ(bytes.size(), text.size());
    EXPECT_EQ(static_cast<unsigned char>(bytes[bytes.indexOf('x') - 1]), 0x91);
    EXPECT_EQ(static_cast<unsigned char>(bytes[textfile::toCp1252(QStringLiteral("Atención! è ")).size()]), 0x80);
    EXPECT_EQ(textfile::fromCp1252(bytes), text);
    // Characters outside the code page cannot be stored.
    EXPECT_EQ(textfile::toCp1252(QStringLiteral("a\u4e2db")), QByteArray("a?b"));
    // Every byte decodes to something and comes back as itself.
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(textfile::toCp1252(textfile::fromCp1252(all)), all);
}

TEST(TextFile, LineReaderTakesEveryLineEnding)
{
    textfile::LineReader r(QByteArray("a\r\nb\nc\r\r\n\r\nlast"));
    std::vector<QString> lines;
    while (auto l = r.next())
        lines.push_back(*l);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "a");
    EXPECT_EQ(lines[1], "b");
    EXPECT_EQ(lines[2], "c");
    EXPECT_EQ(lines[3], "");
    EXPECT_EQ(lines[4], "");
    EXPECT_EQ(lines[5], "last");
    EXPECT_FALSE(r.next().has_value());

    textfile::LineReader empty{QByteArray()};
    EXPECT_FALSE(empty.next().has_value());
}

TEST(TextFile, AtomicWriteReplacesWholeOrNothing)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Cirrolith4_Test.dat"));
    ASSERT_TRUE(textfile::writeAtomic(path, "old\r\n"));
    ASSERT_TRUE(textfile::writeAtomic(path, "new\r\n"));
    EXPECT_EQ(*textfile::readAll(path), QByteArray("new\r\n"));
    // No temporary file is left beside it.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);

    // A target that cannot be replaced keeps what it was and reports why.
    const QString blocked = dir.filePath(QStringLiteral("blocked.dat"));
    ASSERT_TRUE(QDir().mkdir(blocked));
    QString error;
    EXPECT_FALSE(textfile::writeAtomic(blocked, "x", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(QFileInfo(blocked).isDir());

    EXPECT_FALSE(textfile::writeAtomic(dir.filePath(QStringLiteral("missing/x.dat")), "x"));
    EXPECT_FALSE(textfile::readAll(dir.filePath(QStringLiteral("missing/x.dat"))).has_value());
}

TEST(TextFile, PrivateFilesAreOwnerOnly)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("secret.dat"));
    ASSERT_TRUE(textfile::writeAtomic(path, "pw\r\n", nullptr, {true}));
    const auto perms = QFile::permissions(path);
    EXPECT_TRUE(perms & QFileDevice::ReadOwner);
    EXPECT_FALSE(perms & QFileDevice::ReadGroup);
    EXPECT_FALSE(perms & QFileDevice::ReadOther);
    EXPECT_FALSE(perms & QFileDevice::WriteOther);
}

TEST(TextFile, FullDiskKeepsTheOldFileAndReportsTheFailure)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Cirrolith4_Proxy.dat"));
    const QByteArray old("\r\n\r\n\r\n\r\n0\r\n");   // 11 bytes
    ASSERT_TRUE(textfile::writeAtomic(path, old));
    QString error;
    {
        filelimit::Scoped full(4);
        // Shorter than a buffer's worth, so a buffered writer would accept it
        // and fail only when flushing.
        EXPECT_FALSE(textfile::writeAtomic(path, "host\r\n8080\r\nuser\r\npw\r\n1\r\n", &error));

        // Written in pieces, the failure holds through to commit.
        textfile::AtomicFile file(path);
        ASSERT_TRUE(file.open());
        EXPECT_TRUE(file.write("abc"));
        EXPECT_FALSE(file.write("defgh"));
        EXPECT_FALSE(file.commit());
        EXPECT_FALSE(file.errorString().isEmpty());
    }
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(*textfile::readAll(path), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("Cirrolith4_Proxy.dat")});
}

TEST(TextFile, ALinkAtTheTargetIsReplacedAndPermissionsKept)
{
    QTemporaryDir dir;
    const QString outside = dir.filePath(QStringLiteral("outside.dat"));
    ASSERT_TRUE(textfile::writeAtomic(outside, "keep"));
    const QString path = dir.filePath(QStringLiteral("Cirrolith4_Config.dat"));
    ASSERT_TRUE(QFile::link(outside, path));
    ASSERT_TRUE(textfile::writeAtomic(path, "15\r\n"));
    EXPECT_FALSE(QFileInfo(path).isSymLink());
    EXPECT_EQ(*textfile::readAll(path), "15\r\n");
    EXPECT_EQ(*textfile::readAll(outside), "keep");

    // Replacing a file keeps its permissions; cancelling leaves no trace.
    const auto perms = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
    ASSERT_TRUE(QFile::setPermissions(path, perms));
    ASSERT_TRUE(textfile::writeAtomic(path, "20\r\n"));
    // Owner, group and others; the "user" flags depend on who runs the test.
    EXPECT_EQ(QFile::permissions(path) & 0x7077, perms & 0x7077);
    {
        textfile::AtomicFile file(path);
        ASSERT_TRUE(file.open());
        EXPECT_TRUE(file.write("30\r\n"));
        file.cancel();
        EXPECT_FALSE(file.commit());
    }
    {
        textfile::AtomicFile abandoned(path);
        ASSERT_TRUE(abandoned.open());
        EXPECT_TRUE(abandoned.write("40\r\n"));
    }
    EXPECT_EQ(*textfile::readAll(path), "20\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}
