#pragma once

#include "kernel/object_index.h"

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace NS_Events {

using NS_ObjectIndex::ObjectIndex;

// Event codes are single bits so that one subscription can ask for several.
enum EventCode : std::uint32_t {
    AttributeAdded = 1,
    ValueChanged = 2,
    AttributeRemoved = 4,
    Step = 8,
    Render = 16,
};

// One queued notification. Tick events (Step, Render) have a null object and
// an empty sender.
class Event {
public:
    ObjectIndex object;
    std::wstring sender;
    std::uint32_t code = 0;
    std::wstring receiver;

    Event() = default;
    Event(const ObjectIndex& object_, const std::wstring& sender_, std::uint32_t code_)
        : object(object_), sender(sender_), code(code_) {}
    Event(const Event&) = default;
    Event& operator=(const Event&) = default;
};

// First in, first out. Events posted during a dispatch go to the back and are
// handled in the same dispatch call, after everything queued before them.
class EventQueue {
public:
    void push(const Event& event) { queue_.push_back(event); }
    // Copies the front event out, then destroys the queued one. The queue must
    // not be empty.
    Event pop();
    std::size_t size() const { return queue_.size(); }
    bool empty() const { return queue_.empty(); }
    // Drops every pending event (a failed simulation's leftovers).
    void clear() { queue_.clear(); }

private:
    std::deque<Event> queue_;
};

struct Subscription {
    std::uint32_t mask;
    std::wstring handlerName;
};

// The publishing side of subscriptions. The list only grows: there is no
// removal and no duplicate test, so subscribing twice delivers two copies.
class EventsSender {
public:
    virtual ~EventsSender() = default;

    void addSubscriber(std::uint32_t mask, const std::wstring& handlerName);
    // Pushes one copy of `event`, addressed to the subscriber, for every
    // subscription (in list order) whose mask shares a bit with the code.
    void post(const Event& event, EventQueue& queue) const;

    const std::vector<Subscription>& subscriptions() const { return subscriptions_; }

private:
    std::vector<Subscription> subscriptions_;
};

} // namespace NS_Events
