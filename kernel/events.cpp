#include "kernel/events.h"

#include <algorithm>

namespace NS_Events {

void EventQueue::grow() {
    const std::size_t capacity = capacity_ == 0 ? 64 : capacity_ * 2;
    std::unique_ptr<Event[]> ring(new Event[capacity]);
    for (std::size_t i = 0; i < size_; ++i)
        ring[i] = ring_[(head_ + i) & (capacity_ - 1)];
    ring_ = std::move(ring);
    capacity_ = capacity;
    head_ = 0;
}

void EventsSender::addSubscriber(std::uint32_t mask, const NS_Names::Name& handlerName) {
    subscriptions_.push_back(Subscription{mask, handlerName});
}

} // namespace NS_Events
