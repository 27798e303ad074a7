#pragma once

// Small handlers and models for exercising the kernel through its public
// interfaces.

#include "kernel/attribute_handler.h"
#include "kernel/initial_model.h"
#include "kernel/universe.h"

#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace kernel_test {

// Runs `body` and expects it to throw a pointer to E, which it frees.
template <class E, class F> void expectThrows(F&& body) {
    bool thrown = false;
    try {
        body();
    } catch (E* e) {
        delete e;
        thrown = true;
    }
    EXPECT_TRUE(thrown) << "expected a kernel exception";
}

// A value that counts its own destructions.
struct CountedValue : NS_Attribute::AttributeValue {
    explicit CountedValue(int* deletions_ = nullptr, int payload_ = 0)
        : deletions(deletions_), payload(payload_) {}
    CountedValue(const CountedValue&) = default;
    CountedValue& operator=(const CountedValue&) = default;
    ~CountedValue() override {
        if (deletions != nullptr)
            ++*deletions;
    }
    int* deletions;
    int payload;
};

struct Received {
    std::wstring receiver;
    std::wstring sender;
    std::uint32_t code;
    std::int64_t uniqueId;
};

// Log shared by the handlers of one test; written on whichever thread
// dispatches, read by the test after the simulation thread has ended.
struct EventLog {
    std::mutex mutex;
    std::vector<Received> events;
    std::vector<std::wstring> destroyed; // handler names, in destruction order
    void add(const Received& r) {
        std::lock_guard<std::mutex> lock(mutex);
        events.push_back(r);
    }
};

// A value-keeping handler with the standard operations; logs what it handles
// and runs an optional reaction.
class TestHandler : public NS_AttributeHandler::AttributeHandler {
public:
    struct Subscribe {
        std::wstring publisher;
        std::uint32_t mask;
    };

    TestHandler(NS_AttributeHandler::UniverseForHandler* u, std::wstring handlerName,
                EventLog* log_, std::vector<Subscribe> subs = {})
        : AttributeHandler(u), log(log_), subscriptions(std::move(subs)) {
        setName(handlerName);
    }
    ~TestHandler() override {
        if (log != nullptr)
            log->destroyed.push_back(name());
    }

    void start() override {
        for (const Subscribe& s : subscriptions)
            subscribe(s.publisher, s.mask);
    }
    NS_Attribute::AttributeValue* getValue(const NS_ObjectIndex::ObjectIndex& ref) override {
        return standardGetValue(ref);
    }
    void addAttribute(const NS_ObjectIndex::ObjectIndex& ref) override {
        standardAddAttribute<CountedValue>(ref);
    }
    void setValue(const NS_ObjectIndex::ObjectIndex& ref,
                  NS_Attribute::AttributeValue* v) override {
        standardSetValue<CountedValue>(ref, v);
    }
    void handleEvent(const NS_Events::Event& e) override {
        if (log != nullptr)
            log->add({e.receiver, e.sender, e.code, e.object.uniqueId});
        if (reaction)
            reaction(e);
    }

    // Exposed for tests.
    using AttributeHandler::attachValue;
    using AttributeHandler::sendEvent;
    using AttributeHandler::subscribe;
    NS_AttributeHandler::UniverseForHandler* theUniverse() { return universe; }

    EventLog* log;
    std::vector<Subscribe> subscriptions;
    std::function<void(const NS_Events::Event&)> reaction;
};

// Builds whatever handlers the test's factory makes.
class TestModel : public NS_InitialModel::InitialModel {
public:
    using Factory = std::function<void(NS_AttributeHandler::UniverseForHandler*,
                                       std::vector<NS_AttributeHandler::AttributeHandler*>&)>;
    explicit TestModel(Factory factory_) : factory(std::move(factory_)) {}
    void createHandlers(std::vector<NS_AttributeHandler::AttributeHandler*>& list) override {
        factory(universe, list);
    }
    Factory factory;
};

// A universe whose thread runs the start pass and `ticks` virtual ticks, then
// ends; afterwards the test thread owns it and may drive it directly.
inline NS_Universe::RunOptions virtualTicks(std::int64_t ticks) {
    NS_Universe::RunOptions options;
    options.pacing = NS_TimeService::Pacing::Virtual;
    options.tickLimit = ticks;
    return options;
}

template <class H> H* handler(NS_Universe::Universe& u, const wchar_t* name) {
    return dynamic_cast<H*>(u.findHandler(name));
}

} // namespace kernel_test
