// Thread on std::thread, with a completion flag so the owner can wait with a
// timeout (std::thread has no timed join).
#include "kernel/platform_thread.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace NS_Platform {

struct Thread::Impl {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    std::thread thread;
};

Thread::Thread(Routine routine, void* argument) : impl_(std::make_unique<Impl>()) {
    Impl* impl = impl_.get();
    try {
        impl->thread = std::thread([impl, routine, argument] {
            routine(argument);
            {
                std::lock_guard<std::mutex> lock(impl->mutex);
                impl->done = true;
            }
            impl->finished.notify_all();
        });
    } catch (const std::system_error&) {
        throw new Exception();
    }
}

Thread::~Thread() {
    if (impl_->thread.joinable())
        impl_->thread.join();
}

bool Thread::isRunning() const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return !impl_->done;
}

bool Thread::waitFor(int milliseconds) {
    std::unique_lock<std::mutex> lock(impl_->mutex);
    return impl_->finished.wait_for(lock, std::chrono::milliseconds(milliseconds),
                                    [this] { return impl_->done; });
}

} // namespace NS_Platform
