// The version check and the collections package, served by the reference
// server's web root.

#include "CatalogueFixture.h"

#include "catalogue/Catalogue.h"
#include "catalogue/CollectionsPackage.h"

#include <archive.h>
#include <archive_entry.h>

using namespace cattest;

namespace {

struct Entry {
    const char *path;
    QByteArray data;
    const char *linkTarget = nullptr;   // a symbolic link when set
};

// A zip built with libarchive, with a program stub in front of it the way a
// self-extracting package has one.
QByteArray selfExtractingZip(const std::vector<Entry> &entries)
{
    std::vector<char> buffer(1 << 20);
    size_t used = 0;
    archive *a = archive_write_new();
    archive_write_set_format_zip(a);
    archive_write_open_memory(a, buffer.data(), buffer.size(), &used);
    for (const Entry &e : entries) {
        archive_entry *entry = archive_entry_new();
        archive_entry_set_pathname(entry, e.path);
        if (e.linkTarget) {
            archive_entry_set_filetype(entry, AE_IFLNK);
            archive_entry_set_symlink(entry, e.linkTarget);
            archive_entry_set_perm(entry, 0777);
            archive_write_header(a, entry);
        } else {
            archive_entry_set_filetype(entry, AE_IFREG);
            archive_entry_set_perm(entry, 0644);
            archive_entry_set_size(entry, e.data.size());
            archive_write_header(a, entry);
            archive_write_data(a, e.data.constData(), e.data.size());
        }
        archive_entry_free(entry);
    }
    archive_write_close(a);
    archive_write_free(a);
    return QByteArray("MZ\x90\x00 program stub that would unpack the files ", 45) +
           QByteArray(buffer.data(), static_cast<qsizetype>(used));
}

class CollectionsTest : public FormTest {
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        ASSERT_TRUE(server.start());
        form->catalogueAddress = server.catalogueAddress();
    }
    QString collections(const QString &name) const
    {
        return QDir(form->Cirrolith_Collections_Dir).filePath(name);
    }
    QByteArray readCollections(const QString &name) const
    {
        QFile f(collections(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    TestServer server;
};

TEST_F(CollectionsTest, CurrentVersionWithNewCollectionsNoticesOnce)
{
    server.putFile(QStringLiteral("currentversion.html"), "\"Cirrolith_5.5.5\",\"Collection_002\"\r\n");
    form->Aggiornare = QStringLiteral("old notice");
    form->catalogue->CheckVersion();
    EXPECT_EQ(readCollections(QStringLiteral("LocalCollection.dat")), "Collection_001");
    EXPECT_EQ(form->Aggiornare, "  - COLLECTIONS AVAILABLE");
    EXPECT_EQ(form->collectionsAvailable, -1);
    EXPECT_EQ(form->whoWeAre->BackColor(), platform::vbRGB(64, 64, 64));
    EXPECT_TRUE(server.targets().contains(QStringLiteral("/currentversion.html")));

    server.putFile(QStringLiteral("currentversion.html"), "Cirrolith_9.0.0,Collection_002\r\n");
    form->catalogue->CheckVersion();
    EXPECT_EQ(form->Aggiornare, "  - COLLECTIONS AVAILABLE");
}

TEST_F(CollectionsTest, OtherVersionAndSameEditionChangeNothing)
{
    server.putFile(QStringLiteral("currentversion.html"), "Cirrolith_4.0.0\r\nCollection_001\r\n");
    form->Aggiornare = QStringLiteral(" ");
    form->whoWeAre->setBackColor(platform::kVbBlack);
    form->catalogue->CheckVersion();
    EXPECT_EQ(form->Aggiornare, " ");
    EXPECT_EQ(form->whoWeAre->BackColor(), platform::kVbBlack);
    EXPECT_EQ(form->collectionsAvailable, 0);
    EXPECT_EQ(readCollections(QStringLiteral("LocalCollection.dat")), "Collection_001");
}

TEST_F(CollectionsTest, MissingVersionFileChangesNothing)
{
    form->Aggiornare = QStringLiteral("x");
    form->catalogue->CheckVersion();
    EXPECT_EQ(form->Aggiornare, "x");
    EXPECT_FALSE(QFile::exists(collections(QStringLiteral("LocalCollection.dat"))));
}

TEST_F(CollectionsTest, PackageIsUnpackedNeverRunAndStaysInItsFolder)
{
    const QString outside = QDir(form->PortablesPath).filePath(QStringLiteral("Data/x"));
    QTemporaryDir elsewhere;
    const QString absolute = elsewhere.filePath(QStringLiteral("abs.xml"));
    const QByteArray zip = selfExtractingZip({
        {"Cirrolith_Collection_20240101.xml", "<collection/>"},
        {"LocalCollection.dat", "Collection_002"},
        {"../x", "escaped"},
        {"../../x", "escaped"},
        {absolute.toUtf8().constData(), "escaped"},
        {"sub/inner.xml", "nested"},
        {"link", {}, "/etc/passwd"},
    });
    server.putFile(QStringLiteral("collections.exe"), zip);
    server.putFile(QStringLiteral("currentversion.html"), "Cirrolith_5.5.5,Collection_002");
    form->catalogue->CheckVersion();
    ASSERT_EQ(form->collectionsAvailable, -1);

    form->catalogue->DownloadCollections();
    const QString package = collections(QStringLiteral("collections.exe"));
    ASSERT_EQ(dialogs.texts().size(), 1);
    EXPECT_EQ(dialogs.texts()[0],
              "Collections Upgraded - Automatic collections-files unzip \n" + package);
    EXPECT_EQ(readCollections(QStringLiteral("Cirrolith_Collection_20240101.xml")), "<collection/>");
    EXPECT_EQ(readCollections(QStringLiteral("LocalCollection.dat")), "Collection_002");
    EXPECT_EQ(readCollections(QStringLiteral("collections.exe")), zip);
    EXPECT_FALSE(QFileInfo(package).isExecutable());
    EXPECT_FALSE(QFile::exists(outside));
    EXPECT_FALSE(QFile::exists(QDir(form->PortablesPath).filePath(QStringLiteral("x"))));
    EXPECT_FALSE(QFile::exists(absolute));
    EXPECT_FALSE(QFileInfo::exists(collections(QStringLiteral("link"))));
    EXPECT_FALSE(QFileInfo::exists(collections(QStringLiteral("sub"))));
    EXPECT_EQ(QDir(form->Cirrolith_Collections_Dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot |
                                                             QDir::System | QDir::Hidden).size(),
              3);
    EXPECT_EQ(form->collectionsAvailable, 0);
    EXPECT_EQ(form->Aggiornare, " ");

    // The next check finds the new edition installed.
    form->catalogue->CheckVersion();
    EXPECT_EQ(form->collectionsAvailable, 0);
}

TEST_F(CollectionsTest, ItalianMessageAndFailedDownload)
{
    form->Lingua = LinguaItalian;
    form->collectionsAvailable = -1;
    form->Aggiornare = QStringLiteral("  - COLLECTIONS AVAILABLE");
    form->catalogue->DownloadCollections();   // nothing on the server
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(form->collectionsAvailable, 0);
    EXPECT_EQ(form->Aggiornare, " ");

    server.putFile(QStringLiteral("collections.exe"), selfExtractingZip({{"a.xml", "a"}}));
    form->collectionsAvailable = -1;
    form->catalogue->DownloadCollections();
    ASSERT_EQ(dialogs.texts().size(), 1);
    EXPECT_TRUE(dialogs.texts()[0].startsWith(
        QLatin1String("Collections Aggiornate - Estrazione automatica dei files collections \n")));
    EXPECT_EQ(readCollections(QStringLiteral("a.xml")), "a");
}

TEST(CollectionsPackageFile, NotAnArchiveWritesNothing)
{
    QTemporaryDir dir;
    const QString package = dir.filePath(QStringLiteral("collections.exe"));
    QFile f(package);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("MZ this is a program, not an archive");
    f.close();
    QDir().mkpath(dir.filePath(QStringLiteral("out")));
    const UnpackResult r = unpackCollections(package, dir.filePath(QStringLiteral("out")));
    EXPECT_TRUE(r.written.isEmpty());
    EXPECT_TRUE(QDir(dir.filePath(QStringLiteral("out"))).isEmpty());
}

TEST(CollectionsPackageFile, LinksInTheFolderAreReplacedNotFollowed)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("out"));
    const QString outside = dir.filePath(QStringLiteral("outside"));
    QDir().mkpath(folder);
    QDir().mkpath(outside);
    const QString victim = outside + QStringLiteral("/victim.dat");
    {
        QFile f(victim);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("untouched");
    }
    // One link to an existing file, one to a file that does not exist yet.
    ASSERT_TRUE(QFile::link(victim, folder + QStringLiteral("/LocalCollection.dat")));
    ASSERT_TRUE(QFile::link(outside + QStringLiteral("/planted.xml"), folder + QStringLiteral("/a.xml")));

    const QString package = dir.filePath(QStringLiteral("collections.exe"));
    {
        QFile f(package);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(selfExtractingZip({{"LocalCollection.dat", "Collection_009"}, {"a.xml", "<a/>"}}));
    }
    const UnpackResult r = unpackCollections(package, folder);
    EXPECT_EQ(r.written, (QStringList{QStringLiteral("LocalCollection.dat"), QStringLiteral("a.xml")}));

    QFile v(victim);
    ASSERT_TRUE(v.open(QIODevice::ReadOnly));
    EXPECT_EQ(v.readAll(), "untouched");
    EXPECT_FALSE(QFileInfo::exists(outside + QStringLiteral("/planted.xml")));
    for (const char *name : {"LocalCollection.dat", "a.xml"}) {
        const QFileInfo info(folder + u'/' + QLatin1String(name));
        EXPECT_FALSE(info.isSymLink()) << name;
        EXPECT_TRUE(info.isFile()) << name;
    }
    QFile local(folder + QStringLiteral("/LocalCollection.dat"));
    ASSERT_TRUE(local.open(QIODevice::ReadOnly));
    EXPECT_EQ(local.readAll(), "Collection_009");
}

} // namespace
