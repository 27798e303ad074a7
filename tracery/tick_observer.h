#pragma once

#include "kernel/attribute_handler.h"

#include <cstdint>
#include <functional>
#include <string>

// A handler that owns no attribute, draws no random number and calls `onTick`
// on every Render, i.e. once per tick after that tick's Step dispatch has
// settled. Headless tools and tests add it to the model to look at the world
// from the simulation thread while it runs.
class TickObserver : public NS_AttributeHandler::AttributeHandler {
public:
    static const NS_Names::Name handlerName;

    // `onTick` receives the number of the tick just run, starting at 1.
    TickObserver(NS_AttributeHandler::UniverseForHandler* universe_,
                 std::function<void(std::int64_t tick)> onTick);

    void handleEvent(const NS_Events::Event& event) override;

private:
    std::function<void(std::int64_t)> onTick_;
    std::int64_t ticks_ = 0;
};
