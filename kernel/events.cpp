#include "kernel/events.h"

namespace NS_Events {

Event EventQueue::pop() {
    Event front = queue_.front();
    queue_.pop_front();
    return front;
}

void EventsSender::addSubscriber(std::uint32_t mask, const std::wstring& handlerName) {
    subscriptions_.push_back(Subscription{mask, handlerName});
}

void EventsSender::post(const Event& event, EventQueue& queue) const {
    for (const Subscription& subscription : subscriptions_) {
        if ((subscription.mask & event.code) == 0)
            continue;
        Event copy(event);
        copy.receiver = subscription.handlerName;
        queue.push(copy);
    }
}

} // namespace NS_Events
