#include "structure/Layering.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

QString sourceDir() { return qEnvironmentVariable("CIRROLITH_SOURCE_DIR", QStringLiteral(CIRROLITH_TEST_SOURCE_DIR)); }

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly | QIODevice::Text) ? QString::fromUtf8(file.readAll()) : QString();
}

void writeText(const QString &path, const QByteArray &text)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

} // namespace

TEST(Layering, NoSubsystemIncludesFromAFolderNotBelowIt)
{
    QString error;
    const layering::Levels levels = layering::readLevels(readText(sourceDir() + QStringLiteral("/README.md")), &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    EXPECT_EQ(levels.value(QStringLiteral("platform"), -1), 0) << "platform is the lowest layer";

    const QStringList found = layering::upwardIncludes(sourceDir() + QStringLiteral("/src"), levels);
    EXPECT_TRUE(found.isEmpty()) << "includes against the layer order:\n  " << found.join(QStringLiteral("\n  ")).toStdString();
}

// The check itself, on a small tree: a downward include passes; an upward
// one, one between two folders of a level, and a folder without a level are
// each named.
TEST(Layering, NamesEveryIncludeThatGoesUpOrSideways)
{
    QString error;
    const layering::Levels levels = layering::readLevels(QStringLiteral("intro\n## Layers\n\ntext\n```\n"
                                                                         "base          the bottom\n"
                                                                         "left, right   two of a level\n"
                                                                         "top\n```\n## Next\n"),
                                                         &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    EXPECT_EQ(levels.value(QStringLiteral("base")), 0);
    EXPECT_EQ(levels.value(QStringLiteral("right")), 1);
    EXPECT_EQ(levels.value(QStringLiteral("top")), 2);

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    writeText(dir.filePath("base/B.h"), "#include <QString>\n#include \"base/Other.h\"\n");
    writeText(dir.filePath("left/L.cpp"), "#include \"base/B.h\"\n  #include \"top/T.h\"\n#include \"right/R.h\"\n");
    writeText(dir.filePath("right/sub/R.h"), "#include \"wayland/protocol.h\"\n");
    writeText(dir.filePath("top/T.h"), "#include \"left/L.h\"\n#include \"right/R.h\"\n");
    writeText(dir.filePath("stray/S.h"), "\n");
    const QStringList found = layering::upwardIncludes(dir.path(), levels);
    EXPECT_EQ(found, (QStringList{QStringLiteral("src/left/L.cpp includes top/T.h (top is above left)"),
                                  QStringLiteral("src/left/L.cpp includes right/R.h (right is on the level of left)"),
                                  QStringLiteral("src/stray has no place in the Layers section")}));

    EXPECT_TRUE(layering::readLevels(QStringLiteral("## Other\n```\na\n```\n"), &error).isEmpty());
    EXPECT_FALSE(error.isEmpty());
}
