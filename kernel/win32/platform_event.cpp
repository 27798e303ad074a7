#include "kernel/platform_event.h"
#include "kernel/platform_exception.h"

#include <windows.h>

namespace NS_Platform {

struct Event::Impl {
    HANDLE handle = nullptr;
};

Event::Event() : impl_(std::make_unique<Impl>()) {
    // Unnamed, auto-reset, unsignalled: a successful wait consumes the signal.
    impl_->handle = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (impl_->handle == nullptr)
        throw new Exception();
}

Event::~Event() {
    if (impl_ && impl_->handle != nullptr)
        CloseHandle(impl_->handle);
}

void Event::set() {
    SetEvent(impl_->handle);
}

bool Event::test() {
    return WaitForSingleObject(impl_->handle, 0) == WAIT_OBJECT_0;
}

void Event::wait() {
    WaitForSingleObject(impl_->handle, INFINITE);
}

bool Event::waitFor(int milliseconds) {
    const DWORD timeout = milliseconds < 0 ? 0 : static_cast<DWORD>(milliseconds);
    return WaitForSingleObject(impl_->handle, timeout) == WAIT_OBJECT_0;
}

} // namespace NS_Platform
