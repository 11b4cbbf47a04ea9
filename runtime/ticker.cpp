// Periodic callbacks on Qt timers owned by the application object.
#include "runtime/ticker.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <map>

namespace {

struct Ticker {
    QPointer<QTimer> timer;
    bool running = false;  // its callback is on the stack
};

std::map<int, Ticker> g_tickers;
int g_lastHandle = 0;

}  // namespace

int StartTicker(double seconds, TickCallbackPtr callback, void* data)
{
    if (!callback || !QCoreApplication::instance()) return -1;
    const int handle = ++g_lastHandle;
    auto* timer = new QTimer(QCoreApplication::instance());
    timer->setInterval(static_cast<int>(std::max(seconds, 0.01) * 1000 + 0.5));
    QObject::connect(timer, &QTimer::timeout, timer, [handle, callback, data] {
        auto it = g_tickers.find(handle);
        // A callback that processes events would otherwise meet its own next tick.
        if (it == g_tickers.end() || it->second.running) return;
        it->second.running = true;
        callback(data);
        it = g_tickers.find(handle);  // the callback may have stopped it
        if (it != g_tickers.end()) it->second.running = false;
    });
    g_tickers[handle].timer = timer;
    timer->start();
    return handle;
}

void StopTicker(int handle)
{
    auto it = g_tickers.find(handle);
    if (it == g_tickers.end()) return;
    if (it->second.timer) {
        it->second.timer->stop();
        // It may be stopped from inside its own tick.
        it->second.timer->deleteLater();
    }
    g_tickers.erase(it);
}
