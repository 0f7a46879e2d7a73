#include "settings/PictureListFile.h"

#include "platform/TextFile.h"

using platform::textfile::LineReader;
using platform::textfile::Writer;

std::vector<PictureListEntry> defaultPictureList()
{
    return {{0, QStringLiteral("14")}, {1, QStringLiteral("1")}, {2, QStringLiteral("5")},
            {3, QStringLiteral("20")}};
}

QByteArray formatPictureList(const std::vector<PictureListEntry> &entries)
{
    Writer w;
    for (const auto &e : entries) {
        w.line(QString::number(e.position));
        w.line(e.id);
    }
    w.line(QStringLiteral("\r\n"));
    return w.bytes();
}

std::vector<PictureListEntry> parsePictureList(const QByteArray &bytes)
{
    std::vector<PictureListEntry> out;
    LineReader reader(bytes);
    while (auto pos = reader.next()) {
        if (pos->isEmpty())
            break;
        bool ok = false;
        const int position = pos->trimmed().toInt(&ok);
        if (!ok)
            break;
        PictureListEntry e{position, QString()};
        if (auto id = reader.next())
            e.id = *id;
        out.push_back(e);
    }
    return out;
}

bool pictureListFirstLineEmpty(const QByteArray &bytes)
{
    LineReader reader(bytes);
    auto first = reader.next();
    return !first || first->isEmpty();
}
