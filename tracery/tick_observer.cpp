#include "tracery/tick_observer.h"

#include <utility>

const NS_Names::Name TickObserver::handlerName = L"TickObserver";

TickObserver::TickObserver(NS_AttributeHandler::UniverseForHandler* universe_,
                           std::function<void(std::int64_t tick)> onTick)
    : AttributeHandler(universe_), onTick_(std::move(onTick)) {
    setName(handlerName);
}

void TickObserver::handleEvent(const NS_Events::Event& event) {
    if (event.code != NS_Events::Render)
        return;
    ticks_ += 1;
    if (onTick_)
        onTick_(ticks_);
}
