#pragma once

#include "kernel/attribute_handler.h"
#include "kernel/initial_model.h"

#include <vector>

// Appends newly built GenerativeField, GenerativePoint, GuidingPoint and
// Segment handlers for `universe`, in that order. Throws what their
// constructors throw (NS_DigitStrip::Exception when the digit strip cannot be
// read); handlers appended before the throw stay in `list`.
void appendTraceryHandlers(NS_AttributeHandler::UniverseForHandler* universe,
                           std::vector<NS_AttributeHandler::AttributeHandler*>& list);

// A model with the growth handlers only (no drawing): for headless runs and tests.
class TraceryModel : public NS_InitialModel::InitialModel {
public:
    void createHandlers(std::vector<NS_AttributeHandler::AttributeHandler*>& list) override {
        appendTraceryHandlers(universe, list);
    }
};
