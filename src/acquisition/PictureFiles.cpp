#include "acquisition/PictureFiles.h"

#include <QDateTime>

#include <array>

namespace acquisition {

QString addressExtension(const QString &url)
{
    const qsizetype dot = url.lastIndexOf(u'.');
    return dot < 0 ? QString() : url.mid(dot);
}

QString localExtension(const QString &extension)
{
    // The picture type the address names, its query and the rest cut off:
    // ".jpg?i=0" and ".jpg?i=11" share one file instead of one file each.
    // Decoding goes by content, so any other address takes ".jpg".
    const QString name = extension.mid(1).toLower();
    for (const char *type : kLocalPictureTypes) {
        if (name.startsWith(QLatin1String(type)))
            return u'.' + QLatin1String(type);
    }
    return QStringLiteral(".jpg");
}

QStringList unusedDownloadFiles(const QStringList &workFolder, const QString &stemName, const QStringList &inUse)
{
    QStringList unused;
    for (const QString &name : workFolder) {
        if (!name.startsWith(stemName + u'.') || inUse.contains(name))
            continue;
        unused << name;
    }
    return unused;
}

QString aniGifCopyPath(const QString &stem, const QString &tag, int number)
{
    return stem + tag + QString::number(number) + QStringLiteral(".gif");
}

QStringList folderSlideNames(const QStringList &listing, int limit)
{
    QStringList taken;
    for (const QString &name : listing) {
        if (taken.size() >= limit)
            break;
        const QString last3 = name.right(3);
        if (last3 == QLatin1String("jpg") || last3 == QLatin1String("JPG"))
            taken << name;
    }
    return taken;
}

std::optional<QString> loadingCaption(int lingua, int handled, int total)
{
    struct Words {
        const char *text;
        const char *separator;
    };
    static constexpr std::array<Words, 4> kWords = {{
        {"Loading Pictures from WEB...", " of "},
        {"Caricamento immagini dal WEB...", " di "},
        {"T\xC3\xA9l\xC3\xA9" "chargement des images \xC3\xA0 partir du web...", " du "},
        {"Carga imagina del WEB...", " de "},
    }};
    if (lingua < 1 || lingua > 4)
        return std::nullopt;
    const Words &w = kWords[lingua - 1];
    return QString::fromUtf8(w.text) + u' ' + QString::number(handled) +
           QString::fromLatin1(w.separator) + QString::number(total);
}

std::optional<QString> nothingSelectedMessage(int lingua)
{
    static constexpr std::array<const char *, 4> kText = {
        "Error: you have to check at least one Image from list!",
        "Errore: occorre selezionare almeno una immagine dalla lista!",
        "Erreur : vous devez s\xC3\xA9lectionner au moins une image dans la liste !",
        "Error: hace falta seleccionar al menos una imagen de la lista!",
    };
    if (lingua < 1 || lingua > 4)
        return std::nullopt;
    return QString::fromUtf8(kText[lingua - 1]);
}

QString refreshStamp(const QDateTime &when)
{
    return QStringLiteral(" - RFRS:") + when.toString(QStringLiteral("MM-dd-yyyy HH:mm:ss"));
}

} // namespace acquisition
