#pragma once

#include <QImage>
#include <QString>

#include <functional>

class QWidget;

namespace slideshow {

// The web engine as the capture sees it. The engine lives in a library of
// its own, loaded with the first page: a slideshow without pages never maps
// it, nor the software renderer it brings.
class BrowserEngine {
public:
    virtual ~BrowserEngine() = default;
    // A fresh page in an in-memory profile, shown by a view that fills host;
    // loaded(ok) comes with every completion the page reports.
    virtual void open(QWidget *host, const QString &address, bool silent, std::function<void(bool)> loaded) = 0;
    // What the view has drawn (null without a view).
    virtual QImage grab() const = 0;
    // Ends the page, its renderer process, the view and the profile.
    virtual void close() = 0;
};

// The engine, loaded on the first call; null, with the reason on stderr,
// when its library cannot be loaded.
BrowserEngine *browserEngine();
// Whether the engine's library has been loaded.
bool browserEngineLoaded();

// The library's entry point.
using BrowserEngineEntry = BrowserEngine *(*)();
inline constexpr const char *kBrowserEngineEntry = "cirrolith_browser_engine";

} // namespace slideshow
