#include "language/DisplayModeNames.h"

#include <array>

std::optional<QString> displayModeName(int lingua, bool fullScreen)
{
    struct Names {
        const char *fullScreen;
        const char *other;
    };
    static constexpr std::array<Names, 4> kNames = {{
        {"Full_Screen", "Normal"},
        {"Tutto_schermo", "In_scala"},
        {"Plein_écran", "Normal"},
        {"Pleno_Video", "Dimensión Original"},
    }};
    if (lingua < 1 || lingua > 4)
        return std::nullopt;
    const Names &n = kNames[lingua - 1];
    return QString::fromUtf8(fullScreen ? n.fullScreen : n.other);
}
