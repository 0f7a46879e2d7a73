#include "collections/CollectionFile.h"

#include "platform/TextFile.h"

#include <QDomDocument>
#include <QStringDecoder>
#include <QTextStream>
#include <QXmlStreamReader>

namespace collection {

namespace {

// The word that starts after the first blank found at or after index from
// (0-based); empty when there is no such blank.
QString wordAfterBlank(const QString &text, qsizetype from)
{
    const qsizetype blank = text.indexOf(u' ', from);
    if (blank < 0)
        return QString();
    const qsizetype end = text.indexOf(u' ', blank + 1);
    return text.mid(blank + 1, end < 0 ? -1 : end - blank - 1);
}

QString trimBlanks(const QString &s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && s.at(b) == u' ')
        ++b;
    while (e > b && s.at(e - 1) == u' ')
        --e;
    return s.mid(b, e - b);
}

// One streaming pass before the DOM builds the document, which is slow and
// deep on hostile input: a DTD that declares entities, or elements nested
// deeper than kMaxNesting, refuse the file. Malformed text is left to the DOM,
// which refuses it as well.
bool acceptable(const QString &text)
{
    QXmlStreamReader reader(text);
    int depth = 0;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::DTD:
            if (!reader.entityDeclarations().isEmpty() || reader.text().contains(QLatin1String("<!ENTITY")))
                return false;
            break;
        case QXmlStreamReader::StartElement:
            if (++depth > kMaxNesting)
                return false;
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        default:
            break;
        }
    }
    return true;
}

// Element markup as the program reads it back: "<CodePic>" content
// "</CodePic>"; an element without content serialises in the short form.
QString markup(const QDomElement &e)
{
    QString inner;
    QTextStream out(&inner);
    for (QDomNode n = e.firstChild(); !n.isNull(); n = n.nextSibling())
        n.save(out, -1);
    out.flush();
    QString attributes;
    const QDomNamedNodeMap attrs = e.attributes();
    for (int i = 0; i < attrs.count(); ++i) {
        const QDomAttr a = attrs.item(i).toAttr();
        attributes += u' ' + a.name() + QStringLiteral("=\"") + a.value() + u'"';
    }
    if (inner.isEmpty())
        return u'<' + e.tagName() + attributes + QStringLiteral("/>");
    return u'<' + e.tagName() + attributes + u'>' + inner + QStringLiteral("</") + e.tagName() + u'>';
}

} // namespace

QString CodeForCollection(const QString &itemText)
{
    // The word matching reads, so whatever is saved loads back (a first word
    // of one letter made saving skip to the third word).
    QString code = CodeForMatch(itemText);
    code.remove(u'-');
    return code;
}

QString CodeForMatch(const QString &itemText) { return wordAfterBlank(itemText, 3); }

bool codesMatch(const QString &itemCode, const QString &fileCode)
{
    // Saved codes carry no "-" (ours and the downloaded packages alike).
    if (itemCode == fileCode)
        return true;
    QString a = itemCode, b = fileCode;
    a.remove(u'-');
    b.remove(u'-');
    return !a.isEmpty() && a == b;
}

Stamp stampFor(const QDateTime &when)
{
    Stamp s;
    s.date = when.toString(QStringLiteral("MM-dd-yyyy"));
    s.time = when.toString(QStringLiteral("HH:mm:ss"));
    s.compact = s.date + u'_' + s.time;
    s.compact.remove(u':');
    s.compact.remove(u'-');
    return s;
}

QString fileName(const Stamp &stamp, const QString &extension)
{
    return QStringLiteral("Cirrolith_Collection_") + stamp.compact + extension;
}

QByteArray formatCollection(const Stamp &stamp, const QStringList &selectedTexts)
{
    platform::textfile::Writer w;
    const QString t1 = QStringLiteral("\t"), t2 = QStringLiteral("\t\t"), t3 = QStringLiteral("\t\t\t");
    w.line(QStringLiteral("<?xml version=\"1.0\"?>"));
    w.line(QStringLiteral("<CirrolithCollection>"));
    w.line(t1 + QStringLiteral("<CirrolithVersion>5</CirrolithVersion>"));
    w.line(t1 + QStringLiteral("<Description>Cirrolith5 Pictures Collection</Description>"));
    w.line(t1 + QStringLiteral("<number>00001</number>"));
    w.line(t1 + QStringLiteral("<ThisFile>") + fileName(stamp, QStringLiteral(".xml")) +
           QStringLiteral("</ThisFile>"));
    w.line(t1 + QStringLiteral("<Autor>Created by User</Autor>"));
    w.line(t1 + QStringLiteral("<date>") + stamp.date + u' ' + stamp.time + QStringLiteral("</date>"));
    w.line(t1 + QStringLiteral("<PicList>"));
    for (const QString &text : selectedTexts) {
        QString description = text;
        for (QChar c : {u'&', u'<', u'>'})
            description.replace(c, u'_');
        w.line(t2 + QStringLiteral("<PicItem>"));
        // A catalogue code may hold markup characters: escaped, the file
        // stays XML and the code reads back as it was.
        w.line(t3 + QStringLiteral("<CodePic>") + CodeForCollection(text).toHtmlEscaped() +
               QStringLiteral("</CodePic>"));
        w.line(t3 + QStringLiteral("<Description>") + description + QStringLiteral("</Description>"));
        w.line(t2 + QStringLiteral("</PicItem>"));
    }
    w.line(t1 + QStringLiteral("</PicList>"));
    w.line(QStringLiteral("</CirrolithCollection>"));
    return w.bytes();
}

std::optional<QStringList> readCodes(const QByteArray &bytes)
{
    if (bytes.size() > kMaxFileBytes)
        return std::nullopt;

    // Our own files carry no encoding declaration and are written in the
    // settings code page; bytes that are not UTF-8 are read that way.
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = platform::textfile::fromCp1252(bytes);
    if (!acceptable(text))
        return std::nullopt;
    QDomDocument doc;
    if (!doc.setContent(text))
        return std::nullopt;

    QStringList codes;
    const QDomNodeList items = doc.elementsByTagName(QStringLiteral("PicItem"));
    for (int n = 0; n < items.count(); ++n) {
        QDomElement child = items.at(n).firstChildElement();
        if (child.isNull())
            break;
        for (; !child.isNull(); child = child.nextSiblingElement()) {
            const QString m = markup(child);
            if (!m.startsWith(QLatin1String("<CodePic>")))
                continue;
            // The element's text, so escaped characters come back unescaped.
            codes << trimBlanks(child.text());
        }
    }
    return codes;
}

} // namespace collection
