#include "slideshow/WebSurface.h"

#include <QApplication>
#include <QWidget>

namespace slideshow {

int CloseBrowserWindows()
{
    // Known by their class: the program itself does not link the engine.
    int asked = 0;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (!window->inherits("QWebEngineView") || !window->isWindow())
            continue;
        QMetaObject::invokeMethod(window, &QWidget::close, Qt::QueuedConnection);
        ++asked;
    }
    return asked;
}

} // namespace slideshow
