#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

// The XML collection file: a saved picture selection, one PicItem per
// selected catalogue entry with its short code and description.
namespace collection {

// The code written for a selection-list text: the word CodeForMatch takes,
// without its "-" characters.
QString CodeForCollection(const QString &itemText);
// The code a loaded file is matched against: the word after the one that
// starts at character 4, "-" kept.
QString CodeForMatch(const QString &itemText);

// Whether a list item's code (CodeForMatch) is the code read from a file.
bool codesMatch(const QString &itemCode, const QString &fileCode);

struct Stamp {
    QString date;    // mm-dd-yyyy
    QString time;    // hh:mm:ss
    QString compact; // mmddyyyy_hhmmss
};
Stamp stampFor(const QDateTime &when);

// "Cirrolith_Collection_<stamp>" + extension (".xml" or ".dat").
QString fileName(const Stamp &stamp, const QString &extension);

// The whole file in the settings code page with CR LF line ends.
QByteArray formatCollection(const Stamp &stamp, const QStringList &selectedTexts);

// Larger files are refused unread: a collection of every catalogue entry is
// well under 1 MiB.
constexpr qint64 kMaxFileBytes = 4 * 1024 * 1024;

// Deepest element nesting a collection may have. Our own files nest four
// levels; deeper documents are refused before they are built, since building
// a document nested tens of thousands of levels deep takes seconds to minutes.
constexpr int kMaxNesting = 64;

// The CodePic codes of a collection, in document order; nothing when the
// bytes are not a well-formed document, declare entities (never needed and a
// way to blow up memory), nest deeper than kMaxNesting or exceed the size
// cap. External entities are never resolved.
std::optional<QStringList> readCodes(const QByteArray &bytes);

} // namespace collection
