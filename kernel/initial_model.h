#pragma once

#include "kernel/attribute_handler.h"

#include <vector>

namespace NS_InitialModel {

// Supplies the handlers of a new universe. Must stay alive only while the
// universe's constructor runs.
class InitialModel {
public:
    virtual ~InitialModel() = default;

    void setUniverse(NS_AttributeHandler::UniverseForHandler* universe_) { universe = universe_; }
    // Appends newly constructed handlers, each built for `universe`; the
    // universe takes ownership of every one appended, also when a later
    // constructor throws.
    virtual void createHandlers(std::vector<NS_AttributeHandler::AttributeHandler*>& list) = 0;

protected:
    NS_AttributeHandler::UniverseForHandler* universe = nullptr;
};

} // namespace NS_InitialModel
