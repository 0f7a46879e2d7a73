#pragma once

#include <QString>

// The same request path on the local machine's catalogue server, for the
// command-line word "LOCALHOST".
QString onLocalMachine(const QString &address);

// Scheme, host and port of an address: where the version file, the
// collections package and the help page lie.
QString webRootOf(const QString &address);

// The catalogue address the program starts with: `fromEnvironment` (the
// variable CIRROLITH_CATALOGUE_URL) when it is an http or https address with
// a host, the built-in one otherwise. The word LOCALHOST is applied after.
QString startingCatalogueAddress(const QString &builtIn, const QString &fromEnvironment);

// The same, with the variable read from the process environment; a value that
// is set but unusable is reported on stderr.
QString startingCatalogueAddress();
