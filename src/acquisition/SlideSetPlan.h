#pragma once

#include "state/AppState.h"

#include <vector>

// Which addresses make up a new slide set, and whether it differs from the
// previous one. Pure: works on the catalogue lists only.
namespace acquisition {

// Mode 2: the addresses the catalogue server sent, up to the first "".
CatalogueList<QString> setFromCatalogue(const CatalogueList<QString> &listURL);

// Mode 0: the addresses of the selected rows of the selection list, in order.
CatalogueList<QString> setFromSelection(const CatalogueList<QString> &listURL,
                                        const std::vector<int> &selectedRows);

// Compares the first `itemCount` positions of the new set with the previous
// one; on a difference those positions become the previous set and the result
// is true. Re-confirming the same selection gives false and loads nothing.
bool adoptIfChanged(const CatalogueList<QString> &newSet, CatalogueList<QString> &previous,
                    int itemCount);

// Number of leading non-empty entries.
int leadingEntries(const CatalogueList<QString> &set);

} // namespace acquisition
