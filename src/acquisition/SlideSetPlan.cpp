#include "acquisition/SlideSetPlan.h"

#include <algorithm>

namespace acquisition {

CatalogueList<QString> setFromCatalogue(const CatalogueList<QString> &listURL)
{
    CatalogueList<QString> set;
    for (int i = 0; i < kListSize && !listURL[i].isEmpty(); ++i)
        set[i] = listURL[i];
    return set;
}

CatalogueList<QString> setFromSelection(const CatalogueList<QString> &listURL,
                                        const std::vector<int> &selectedRows)
{
    CatalogueList<QString> set;
    int n = 0;
    for (int row : selectedRows) {
        if (row < 0 || row >= kListSize || n >= kListSize)
            continue;
        set[n++] = listURL[row];
    }
    return set;
}

bool adoptIfChanged(const CatalogueList<QString> &newSet, CatalogueList<QString> &previous,
                    int itemCount)
{
    const int end = std::clamp(itemCount, 0, kListSize);
    for (int i = 0; i < end; ++i) {
        if (newSet[i] != previous[i]) {
            for (int j = 0; j < end; ++j)
                previous[j] = newSet[j];
            return true;
        }
    }
    return false;
}

int leadingEntries(const CatalogueList<QString> &set)
{
    int n = 0;
    while (n < kListSize && !set[n].isEmpty())
        ++n;
    return n;
}

} // namespace acquisition
