#include "platform/EventPump.h"

#include "platform/Clock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <thread>

namespace platform {

namespace {
bool g_quit = false;
}

void EventPump::Sleep(int nominalMs)
{
    const int real = Clock::toReal(nominalMs);
    if (!QCoreApplication::instance()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(real));
        return;
    }
    if (real <= 0) {
        DoEvents();
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(real, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

void EventPump::DoEvents()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool EventPump::quitRequested() { return g_quit; }
void EventPump::requestQuit() { g_quit = true; }
void EventPump::resetQuit() { g_quit = false; }

} // namespace platform
