#include "host/x11/x_error_log.h"

#include <atomic>

namespace {

// A handful of connections at most (the window thread's and the simulation
// thread's). Slots are claimed lock-free by the error handler itself.
struct Slot {
    std::atomic<Display*> display{nullptr};
    std::atomic<unsigned long> count{0};
    std::atomic<int> errorCode{0};
    std::atomic<int> requestCode{0};
    std::atomic<unsigned long> resource{0};
};
constexpr int slotCount = 8;
Slot slots[slotCount];
// Errors of connections beyond the table: still counted, never lost.
Slot overflow;

Slot* find(Display* display) {
    for (Slot& slot : slots) {
        if (slot.display.load(std::memory_order_acquire) == display)
            return &slot;
    }
    return nullptr;
}

Slot& claim(Display* display) {
    if (Slot* slot = find(display))
        return *slot;
    for (Slot& slot : slots) {
        Display* expected = nullptr;
        if (slot.display.compare_exchange_strong(expected, display, std::memory_order_acq_rel))
            return slot;
        if (expected == display)
            return slot;
    }
    return overflow;
}

int recordError(Display* display, XErrorEvent* event) {
    Slot& slot = claim(display);
    slot.errorCode.store(event->error_code, std::memory_order_relaxed);
    slot.requestCode.store(event->request_code, std::memory_order_relaxed);
    slot.resource.store(event->resourceid, std::memory_order_relaxed);
    slot.count.fetch_add(1, std::memory_order_release);
    return 0;
}

} // namespace

namespace XErrorLog {

void install() {
    XSetErrorHandler(recordError);
}

unsigned long count(Display* display) {
    Slot* slot = find(display);
    return slot ? slot->count.load(std::memory_order_acquire) : 0;
}

Last last(Display* display) {
    Slot* slot = find(display);
    if (!slot)
        return {};
    return {slot->errorCode.load(std::memory_order_relaxed),
            slot->requestCode.load(std::memory_order_relaxed),
            slot->resource.load(std::memory_order_relaxed)};
}

void forget(Display* display) {
    if (Slot* slot = find(display)) {
        slot->count.store(0, std::memory_order_relaxed);
        slot->errorCode.store(0, std::memory_order_relaxed);
        slot->requestCode.store(0, std::memory_order_relaxed);
        slot->resource.store(0, std::memory_order_relaxed);
        slot->display.store(nullptr, std::memory_order_release);
    }
}

} // namespace XErrorLog
