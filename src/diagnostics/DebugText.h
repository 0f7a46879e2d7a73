#pragma once

#include "state/AppState.h"

#include <QString>

// The texts of the diagnostic windows, built from the program state alone so
// they can be checked without a window.
namespace diagnostics {

// The list dump of the status window: nine lists, six entries each.
QString debugDump(const AppState &s);

// The list viewer shows thirteen lists, one per card of its deck.
inline constexpr int kViewerLists = 13;
inline constexpr int kViewerEntries = 16;
// The card of the pictures themselves, which shows its name only.
inline constexpr int kPictureCard = 7;

QString viewerListName(int index);
// A card's caption: the list's name, then one line per entry 0..15.
QString viewerCaption(const AppState &s, int index);

// The deck of cards, in twips: card i lies 240 twips further right and down
// than card i - 1, so a higher index lies on top to the lower right.
struct CardPlace {
    float left, top, width, height;
};
CardPlace cardPlace(int index);

} // namespace diagnostics
