#include "diagnostics/DebugText.h"

#include <array>

namespace diagnostics {

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kBar = QStringLiteral(" | ");
constexpr int kDumpEntries = 6;

QString word(bool value) { return value ? QStringLiteral("True") : QStringLiteral("False"); }

// A text list: its name, one entry per line, an empty line.
void textBlock(QString &out, const char *name, const CatalogueList<QString> &list)
{
    out += QLatin1String(name) + kCrLf;
    for (int i = 0; i < kDumpEntries; ++i)
        out += list[i] + kCrLf;
    out += kCrLf;
}

// A value list: its name, then the values on one line, each followed by " | ".
template <typename F>
void barBlock(QString &out, const char *name, F entry)
{
    out += QLatin1String(name) + kCrLf;
    for (int i = 0; i < kDumpEntries; ++i)
        out += entry(i) + kBar;
    out += kCrLf;
}

const std::array<const char *, kViewerLists> kViewerNames = {
    "listData",      "listURL",      "listImageProperties", "listImageTime",     "listURLnameOnly",
    "listURLcomment", "listIdUrl",   "listIMAGE",           "ItemsCodePic",      "listIMAGEnotLoaded",
    "listImageSELECTED", "listOLDImageSELECTED", "listCopyright"};

QString viewerEntry(const AppState &s, int index, int i)
{
    switch (index) {
    case 0: return s.listData[i];
    case 1: return s.listURL[i];
    case 2: return QString::number(s.listImageProperties[i]);
    case 3: return QString::number(s.listImageTime[i]);
    case 4: return s.listURLnameOnly[i];
    case 5: return s.listURLcomment[i];
    case 6: return QString::number(s.listIdUrl[i]);
    case 8: return s.ItemsCodePic[i];
    case 9: return word(s.listIMAGEnotLoaded[i]);
    case 10: return s.listImageSELECTED[i];
    case 11: return s.listOLDImageSELECTED[i];
    case 12: return s.listCopyright[i];
    default: return QString();
    }
}

} // namespace

QString debugDump(const AppState &s)
{
    QString out = QStringLiteral("Debug Array") + kCrLf + kCrLf;
    barBlock(out, "listIdCopyright", [&](int i) { return QString::number(s.listIdCopyright[i]); });
    textBlock(out, "listCopyright", s.listCopyright);
    textBlock(out, "listOLDImageSELECTED", s.listOLDImageSELECTED);
    textBlock(out, "listImageSELECTED", s.listImageSELECTED);
    barBlock(out, "listIMAGEnotLoaded", [&](int i) { return word(s.listIMAGEnotLoaded[i]); });
    textBlock(out, "listURLcomment", s.listURLcomment);
    textBlock(out, "listURLnameOnly", s.listURLnameOnly);
    textBlock(out, "listURL", s.listURL);
    barBlock(out, "listData", [&](int i) { return s.listData[i]; });
    return out;
}

QString viewerListName(int index)
{
    if (index < 0 || index >= kViewerLists)
        return QString();
    return QLatin1String(kViewerNames[index]);
}

QString viewerCaption(const AppState &s, int index)
{
    QString caption = viewerListName(index);
    if (index == kPictureCard)
        return caption;
    for (int i = 0; i < kViewerEntries; ++i)
        caption += kCrLf + u' ' + QString::number(i) + u' ' + viewerEntry(s, index, i);
    return caption;
}

CardPlace cardPlace(int index)
{
    const float edge = 120.0f + 240.0f * static_cast<float>(index);
    return {edge, edge, 13455.0f, 3135.0f};
}

} // namespace diagnostics
