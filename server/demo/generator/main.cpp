// Builds the demo web root: draws every picture the demo catalogue names,
// copies the static pages, and writes the version file and the files that go
// into the collections package.

#include "Catalogue.h"
#include "GifWriter.h"
#include "Painters.h"

#include <QCommandLineParser>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QUrl>

#include <cstdio>

using namespace cirrolith;

namespace {

const QString kLocalRoot = QStringLiteral("http://127.0.0.1:8473/");

int failures = 0;

void fail(const QString &text)
{
    std::fprintf(stderr, "demo web root: %s\n", qPrintable(text));
    ++failures;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
        fail(QStringLiteral("cannot write %1").arg(path));
        return false;
    }
    return true;
}

void writePicture(const QString &webroot, const QString &urlPath, int frames)
{
    const QString file = webroot + urlPath;
    const QFileInfo info(urlPath);
    const QString folder = info.dir().dirName();
    const QString ext = info.suffix().toLower();
    const demo::Style style = demo::styleForFolder(folder);

    if (ext == QLatin1String("gif")) {
        QList<QImage> images;
        for (int i = 0; i < frames; ++i)
            images.append(demo::drawPicture(style, info.fileName(), i, frames));
        writeFile(file, demo::encodeGif(images));
        return;
    }
    const QImage img = demo::drawPicture(style, info.fileName());
    const char *format = ext == QLatin1String("jpg") ? "JPG" : ext == QLatin1String("png") ? "PNG"
                       : ext == QLatin1String("bmp") ? "BMP" : nullptr;
    if (!format) {
        fail(QStringLiteral("no picture format for %1").arg(urlPath));
        return;
    }
    QDir().mkpath(QFileInfo(file).absolutePath());
    if (!img.save(file, format, 85))
        fail(QStringLiteral("cannot write %1").arg(file));
}

// "5" entries: "5ttp://" prefix "*" suffix "," start "," step "," count "," width.
QStringList seriesPaths(const QString &address)
{
    const QString body = address.mid(7);
    const int star = body.indexOf(QLatin1Char('*'));
    const QStringList fields = body.mid(star + 1).split(QLatin1Char(','));
    if (star < 0 || fields.size() != 5)
        return {};
    const QString prefix = QStringLiteral("http://") + body.left(star);
    int n = fields[1].toInt(), step = fields[2].toInt(), count = fields[3].toInt(), width = fields[4].toInt();
    QStringList paths;
    for (int i = 0; i < count; ++i, n += step)
        paths.append(QUrl(prefix + QStringLiteral("%1").arg(n, width, 10, QLatin1Char('0')) + fields[0]).path());
    return paths;
}

void copyTree(const QString &from, const QString &to)
{
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString src = it.next();
        const QString dst = to + QLatin1Char('/') + QDir(from).relativeFilePath(src);
        QDir().mkpath(QFileInfo(dst).absolutePath());
        QFile::remove(dst);
        if (!QFile::copy(src, dst))
            fail(QStringLiteral("cannot copy %1").arg(src));
    }
}

// The entry's code in a collection: the second word of its description.
QString codeOf(const std::string &description)
{
    const QStringList words = QString::fromStdString(description).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    return words.size() > 1 ? QString(words[1]).remove(QLatin1Char('-')) : QString();
}

QByteArray collectionXml(const QString &stamp, const QString &date, const QList<const server::CatalogueEntry *> &items)
{
    QStringList lines{
        QStringLiteral("<?xml version=\"1.0\"?>"),
        QStringLiteral("<CirrolithCollection>"),
        QStringLiteral("\t<CirrolithVersion>5</CirrolithVersion>"),
        QStringLiteral("\t<Description>Cirrolith5 Pictures Collection</Description>"),
        QStringLiteral("\t<number>00001</number>"),
        QStringLiteral("\t<ThisFile>Cirrolith_Collection_%1.xml</ThisFile>").arg(stamp),
        QStringLiteral("\t<Autor>Created by User</Autor>"),
        QStringLiteral("\t<date>%1</date>").arg(date),
        QStringLiteral("\t<PicList>"),
    };
    for (const auto *e : items) {
        QString text = QStringLiteral(" - ") + QString::fromStdString(e->description);
        text.replace(QLatin1Char('&'), QLatin1Char('_')).replace(QLatin1Char('<'), QLatin1Char('_')).replace(QLatin1Char('>'), QLatin1Char('_'));
        lines << QStringLiteral("\t\t<PicItem>") << QStringLiteral("\t\t\t<CodePic>%1</CodePic>").arg(codeOf(e->description))
              << QStringLiteral("\t\t\t<Description>%1</Description>").arg(text) << QStringLiteral("\t\t</PicItem>");
    }
    lines << QStringLiteral("\t</PicList>") << QStringLiteral("</CirrolithCollection>");
    return (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toLatin1();
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Builds the Cirrolith demo web root."));
    parser.addHelpOption();
    QCommandLineOption catalogueOpt(QStringLiteral("catalogue"), QStringLiteral("Demo catalogue file."), QStringLiteral("file"));
    QCommandLineOption staticOpt(QStringLiteral("static"), QStringLiteral("Folder of static pages to copy."), QStringLiteral("dir"));
    QCommandLineOption outOpt(QStringLiteral("out"), QStringLiteral("Web root to fill."), QStringLiteral("dir"));
    QCommandLineOption packageOpt(QStringLiteral("package-dir"), QStringLiteral("Folder for the collections package contents."), QStringLiteral("dir"));
    QCommandLineOption versionOpt(QStringLiteral("version"), QStringLiteral("Current program version."), QStringLiteral("text"));
    QCommandLineOption editionOpt(QStringLiteral("edition"), QStringLiteral("Current collections edition."), QStringLiteral("text"));
    parser.addOptions({catalogueOpt, staticOpt, outOpt, packageOpt, versionOpt, editionOpt});
    parser.process(app);
    for (const auto &o : {catalogueOpt, staticOpt, outOpt, packageOpt, versionOpt, editionOpt})
        if (!parser.isSet(o)) {
            std::fprintf(stderr, "missing --%s\n", qPrintable(o.names().first()));
            return 2;
        }

    std::string error;
    auto cat = server::loadCatalogue(parser.value(catalogueOpt).toStdString(), error);
    if (!cat) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    const QString webroot = QDir(parser.value(outOpt)).absolutePath();
    QDir().mkpath(webroot);
    copyTree(parser.value(staticOpt), webroot);

    for (const auto &e : cat->entries) {
        const QString address = QString::fromStdString(e.address);
        const QChar type = address.front();
        const QString url = (QStringLiteral("2345").contains(type) ? QStringLiteral("h") + address.mid(1) : address);
        if (!url.startsWith(kLocalRoot))
            continue;   // pictures of other hosts are not ours to draw
        const QString path = QUrl(url).path();
        if (type == QLatin1Char('2') || type == QLatin1Char('3')) {
            if (!QFileInfo::exists(webroot + path))
                fail(QStringLiteral("page %1 of line %2 is not among the static files").arg(path).arg(e.line));
        } else if (type == QLatin1Char('5')) {
            const QStringList paths = seriesPaths(address);
            if (paths.isEmpty())
                fail(QStringLiteral("malformed series on line %1").arg(e.line));
            for (const QString &p : paths)
                writePicture(webroot, p, 1);
        } else {
            writePicture(webroot, path, type == QLatin1Char('4') ? 8 : 1);
        }
    }

    const QString edition = parser.value(editionOpt);
    writeFile(webroot + QStringLiteral("/currentversion.html"),
              QStringLiteral("\"%1\",\"%2\"\r\n").arg(parser.value(versionOpt), edition).toLatin1());

    // Package contents: two ready-made collections and the new edition marker.
    const QString packageDir = parser.value(packageOpt);
    QDir(packageDir).removeRecursively();
    QList<const server::CatalogueEntry *> radar, cams, pages;
    for (const auto &e : cat->entries) {
        const QString a = QString::fromStdString(e.address);
        if (a.startsWith(QLatin1Char('2')) || a.startsWith(QLatin1Char('3')) || a.startsWith(QLatin1Char('5')))
            pages.append(&e);
        else if (a.contains(QLatin1String("/radar/")))
            radar.append(&e);
        else if (a.contains(QLatin1String("/cam/")))
            cams.append(&e);
    }
    writeFile(packageDir + QStringLiteral("/Cirrolith_Collection_01152025_090000.xml"),
              collectionXml(QStringLiteral("01152025_090000"), QStringLiteral("01-15-2025 09:00:00"), radar));
    writeFile(packageDir + QStringLiteral("/Cirrolith_Collection_01152025_093000.xml"),
              collectionXml(QStringLiteral("01152025_093000"), QStringLiteral("01-15-2025 09:30:00"), cams));
    // Web pages and the picture series, ready to pick in one go.
    writeFile(packageDir + QStringLiteral("/Cirrolith_Collection_01152025_100000.xml"),
              collectionXml(QStringLiteral("01152025_100000"), QStringLiteral("01-15-2025 10:00:00"), pages));
    writeFile(packageDir + QStringLiteral("/LocalCollection.dat"), edition.toLatin1());

    return failures ? 1 : 0;
}
