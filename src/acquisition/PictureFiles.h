#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QDateTime;

// Naming rules for picture addresses and the files downloaded from them.
namespace acquisition {

// From the address's last "." to its end, dot included; "" without a dot.
// For a script address whose last dot lies in the query this is everything
// after that dot, which only names the local file: decoding goes by content.
QString addressExtension(const QString &url);

// Only the exact ".png" takes the white-background path; ".PNG" does not.
inline bool isPngExtension(const QString &extension) { return extension == QLatin1String(".png"); }

// The picture types a download is stored as, one file per type.
inline constexpr const char *kLocalPictureTypes[] = {"jpg", "gif", "png", "bmp"};

// The local download file's extension: the picture type the address's
// extension starts with (".jpeg" is ".jpg"), else ".jpg". Nothing an address
// holds can lead out of the work folder or multiply the files in it.
QString localExtension(const QString &extension);

// The download files (stem name, a dot, anything) of a work-folder listing
// that are not in use: an earlier set's, or an older version's names.
QStringList unusedDownloadFiles(const QStringList &workFolder, const QString &stemName, const QStringList &inUse);

// The numbered copy of an animated GIF: stem + tag + n + ".gif", whatever
// the address ended in, because the player looks for exactly that name.
QString aniGifCopyPath(const QString &stem, const QString &tag, int number);

// Up to `limit` names of the slideshow folder that end in "jpg" or "JPG",
// in the given (listing) order; ".jpeg" and other cases do not count.
QStringList folderSlideNames(const QStringList &listing, int limit = 9);

// "Loading Pictures from WEB... 3 of 12" in the user's language; nothing for a
// language code outside 1..4.
std::optional<QString> loadingCaption(int lingua, int handled, int total);

// The message of a selection without any picture.
std::optional<QString> nothingSelectedMessage(int lingua);

// " - RFRS:" with the date as mm-dd-yyyy and the 24-hour time.
QString refreshStamp(const QDateTime &when);

} // namespace acquisition
