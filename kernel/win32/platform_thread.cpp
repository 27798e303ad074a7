#include "kernel/platform_thread.h"
#include "kernel/platform_exception.h"

#include <windows.h>

namespace NS_Platform {

struct Thread::Impl {
    Routine routine = nullptr;
    void* argument = nullptr;
    HANDLE handle = nullptr;

    static DWORD WINAPI entry(LPVOID self) {
        auto* impl = static_cast<Impl*>(self);
        impl->routine(impl->argument);
        return 0;
    }
};

Thread::Thread(Routine routine, void* argument) : impl_(std::make_unique<Impl>()) {
    impl_->routine = routine;
    impl_->argument = argument;
    // The Impl outlives the thread: the destructor joins before it goes.
    impl_->handle = CreateThread(nullptr, 0, &Impl::entry, impl_.get(), 0, nullptr);
    if (impl_->handle == nullptr)
        throw new Exception();
}

Thread::~Thread() {
    if (impl_ && impl_->handle != nullptr) {
        WaitForSingleObject(impl_->handle, INFINITE);
        CloseHandle(impl_->handle);
    }
}

bool Thread::isRunning() const {
    return WaitForSingleObject(impl_->handle, 0) == WAIT_TIMEOUT;
}

bool Thread::waitFor(int milliseconds) {
    const DWORD timeout = milliseconds < 0 ? 0 : static_cast<DWORD>(milliseconds);
    return WaitForSingleObject(impl_->handle, timeout) == WAIT_OBJECT_0;
}

} // namespace NS_Platform
