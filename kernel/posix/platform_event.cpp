// Auto-reset event on a mutex and condition variable.
#include "kernel/platform_event.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace NS_Platform {

struct Event::Impl {
    std::mutex mutex;
    std::condition_variable signalled;
    bool set = false;
};

Event::Event() : impl_(std::make_unique<Impl>()) {}

Event::~Event() = default;

void Event::set() {
    {
        std::lock_guard<std::mutex> lock(impl_->mutex);
        impl_->set = true;
    }
    impl_->signalled.notify_one();
}

bool Event::test() {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    const bool was = impl_->set;
    impl_->set = false;
    return was;
}

void Event::wait() {
    std::unique_lock<std::mutex> lock(impl_->mutex);
    impl_->signalled.wait(lock, [this] { return impl_->set; });
    impl_->set = false;
}

bool Event::waitFor(int milliseconds) {
    std::unique_lock<std::mutex> lock(impl_->mutex);
    if (!impl_->signalled.wait_for(lock, std::chrono::milliseconds(milliseconds),
                                   [this] { return impl_->set; }))
        return false;
    impl_->set = false;
    return true;
}

} // namespace NS_Platform
