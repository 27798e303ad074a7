#pragma once

// Small handlers and models for exercising the kernel through its public
// interfaces.

#include "kernel/attribute_handler.h"
#include "kernel/initial_model.h"
#include "kernel/universe.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
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
    std::wstring receiver, sender;
    std::uint32_t code;
    std::int64_t uniqueId;
};

// Written by whichever thread dispatches; read by the test once the simulation
// thread has ended.
struct EventLog {
    std::vector<Received> events;
    std::vector<std::wstring> destroyed; // handler names, in destruction order
};

// A value-keeping handler with the standard operations that logs what it
// handles and runs an optional reaction.
class TestHandler : public NS_AttributeHandler::AttributeHandler {
public:
    TestHandler(NS_AttributeHandler::UniverseForHandler* u, std::wstring handlerName,
                EventLog* log_, std::wstring publisher_ = {}, std::uint32_t mask_ = 0)
        : AttributeHandler(u), log(log_), publisher(std::move(publisher_)), mask(mask_) {
        setName(handlerName);
    }
    ~TestHandler() override {
        if (log != nullptr)
            log->destroyed.push_back(name());
    }
    void start() override {
        if (!publisher.empty())
            subscribe(publisher, mask);
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
            log->events.push_back({e.receiver, e.sender, e.code, e.object.uniqueId});
        if (reaction)
            reaction(e);
    }

    using AttributeHandler::attachValue;
    using AttributeHandler::sendEvent;
    NS_AttributeHandler::UniverseForHandler* theUniverse() { return universe; }

    EventLog* log;
    std::wstring publisher;
    std::uint32_t mask;
    std::function<void(const NS_Events::Event&)> reaction;
};

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

// The thread runs its start pass and `ticks` virtual ticks, then ends; after
// waitUntilEnded the test thread owns the universe and drives it directly.
inline NS_Universe::RunOptions virtualTicks(std::int64_t ticks) {
    NS_Universe::RunOptions options;
    options.pacing = NS_TimeService::Pacing::Virtual;
    options.tickLimit = ticks;
    return options;
}

// The installed handler of that name and type; never null.
template <class H> H* handler(NS_Universe::Universe& u, const wchar_t* name) {
    H* found = dynamic_cast<H*>(u.findHandler(name));
    if (found == nullptr)
        throw std::logic_error("no handler of that name and type");
    return found;
}

} // namespace kernel_test
