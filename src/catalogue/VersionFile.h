#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The server's "currentversion.html" and the local "LocalCollection.dat":
// fields separated by commas or line breaks; a field in double quotes loses
// them, blanks around an unquoted field are not part of it.
inline constexpr const char *kVersionFileName = "currentversion.html";
inline constexpr const char *kLocalCollectionFileName = "LocalCollection.dat";
inline constexpr const char *kFirstCollectionEdition = "Collection_001";
inline constexpr const char *kProgramVersion = "Cirrolith_5.5.5";
inline constexpr const char *kCollectionsPackageName = "collections.exe";
inline constexpr const char *kCollectionsNotice = " - COLLECTIONS AVAILABLE";

QStringList readFields(const QByteArray &bytes);

// The message shown once the collections package has been fetched; the
// package's local path follows on the next line.
QString collectionsUpdatedMessage(int lingua, const QString &packagePath);
