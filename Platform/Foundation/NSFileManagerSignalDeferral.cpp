#include "NSFileManagerSignalDeferral.h"

#include <atomic>
#include <csignal>
#include <mutex>

namespace {

constexpr int deferredSignals[] = {SIGTERM, SIGINT, SIGHUP};
constexpr int signalCount = sizeof deferredSignals / sizeof deferredSignals[0];

// The handler only sets a bit: no allocation, no lock, nothing but a lock-free atomic.
std::atomic<unsigned> arrived = 0;
static_assert(std::atomic<unsigned>::is_always_lock_free);

void rememberSignal(int signal) {
    for (int i = 0; i < signalCount; ++i) {
        if (deferredSignals[i] == signal) {
            arrived.fetch_or(1u << i, std::memory_order_relaxed);
        }
    }
}

// Writers of several threads share one deferral: the first in installs the handler,
// the last out puts the old dispositions back. Never touched by the handler.
struct Deferral {
    std::mutex mutex;
    int holders = 0;
    struct sigaction previous[signalCount] = {};
    bool installed[signalCount] = {};
};

Deferral& deferral() {
    static Deferral* state = new Deferral; // never destroyed: a write may run at exit
    return *state;
}

void install(Deferral& state) {
    struct sigaction remember {};
    remember.sa_handler = rememberSignal;
    remember.sa_flags = SA_RESTART; // other threads' calls go on as if nothing came
    sigemptyset(&remember.sa_mask);
    for (int signal : deferredSignals) {
        sigaddset(&remember.sa_mask, signal);
    }
    for (int i = 0; i < signalCount; ++i) {
        // An ignored signal stays ignored: nothing to wait for.
        state.installed[i] = sigaction(deferredSignals[i], nullptr, &state.previous[i]) == 0 &&
                             state.previous[i].sa_handler != SIG_IGN &&
                             sigaction(deferredSignals[i], &remember, nullptr) == 0;
    }
}

// The old dispositions, back in place; the signals that came while they were away.
unsigned restore(Deferral& state) {
    for (int i = 0; i < signalCount; ++i) {
        if (state.installed[i]) {
            sigaction(deferredSignals[i], &state.previous[i], nullptr);
            state.installed[i] = false;
        }
    }
    return arrived.exchange(0, std::memory_order_relaxed);
}

} // namespace

NSFileManagerSignalDeferral::NSFileManagerSignalDeferral() {
    Deferral& state = deferral();
    std::lock_guard lock(state.mutex);
    if (state.holders++ == 0) {
        install(state);
    }
}

NSFileManagerSignalDeferral::~NSFileManagerSignalDeferral() {
    Deferral& state = deferral();
    unsigned raised = 0;
    {
        std::lock_guard lock(state.mutex);
        if (--state.holders == 0) {
            raised = restore(state);
        }
    }
    // Outside the lock: a program's own handler runs here, in this thread.
    for (int i = 0; i < signalCount; ++i) {
        if ((raised & (1u << i)) != 0) {
            std::raise(deferredSignals[i]);
        }
    }
}
