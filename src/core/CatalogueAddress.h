#pragma once

#include <QString>

// The same request path on the local machine's catalogue server, for the
// command-line word "LOCALHOST".
QString onLocalMachine(const QString &address);

// Scheme, host and port of an address: where the version file, the
// collections package and the help page lie.
QString webRootOf(const QString &address);
