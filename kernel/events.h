#pragma once

#include "kernel/name.h"
#include "kernel/object_index.h"

#include <cstddef>
#include <cstdint>
#include <memory>
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
// an empty sender. A plain record of a reference, two interned names and a
// code: building, copying and destroying one never allocates.
class Event {
public:
    ObjectIndex object;
    NS_Names::Name sender;
    std::uint32_t code = 0;
    NS_Names::Name receiver;

    Event() = default;
    Event(const ObjectIndex& object_, const NS_Names::Name& sender_, std::uint32_t code_)
        : object(object_), sender(sender_), code(code_) {}
    Event(const Event&) = default;
    Event& operator=(const Event&) = default;
};

// First in, first out. Events posted during a dispatch go to the back and are
// handled in the same dispatch call, after everything queued before them.
// A ring buffer that only ever grows: once it has held a tick's busiest
// moment, pushing and popping allocate nothing.
class EventQueue {
public:
    void push(const Event& event) {
        if (size_ == capacity_)
            grow();
        ring_[(head_ + size_) & (capacity_ - 1)] = event;
        ++size_;
    }
    // Copies the front event out. The queue must not be empty.
    Event pop() {
        const Event front = ring_[head_];
        head_ = (head_ + 1) & (capacity_ - 1);
        --size_;
        return front;
    }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    // Drops every pending event (a failed simulation's leftovers).
    void clear() {
        head_ = 0;
        size_ = 0;
    }

private:
    std::unique_ptr<Event[]> ring_;
    std::size_t capacity_ = 0; // zero or a power of two
    std::size_t head_ = 0;
    std::size_t size_ = 0;

    void grow();
};

struct Subscription {
    std::uint32_t mask;
    NS_Names::Name handlerName;
};

// The publishing side of subscriptions. The list only grows: there is no
// removal and no duplicate test, so subscribing twice delivers two copies.
class EventsSender {
public:
    virtual ~EventsSender() = default;

    void addSubscriber(std::uint32_t mask, const NS_Names::Name& handlerName);
    // Pushes one copy of `event`, addressed to the subscriber, for every
    // subscription (in list order) whose mask shares a bit with the code.
    void post(const Event& event, EventQueue& queue) const {
        for (const Subscription& subscription : subscriptions_) {
            if ((subscription.mask & event.code) == 0)
                continue;
            Event copy(event);
            copy.receiver = subscription.handlerName;
            queue.push(copy);
        }
    }

    const std::vector<Subscription>& subscriptions() const { return subscriptions_; }

private:
    std::vector<Subscription> subscriptions_;
};

} // namespace NS_Events
