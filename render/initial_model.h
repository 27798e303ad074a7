#pragma once

#include "kernel/initial_model.h"

// The saver's model: every universe it builds holds the Loader and the four tracery
// handlers, installed in that order, and starts without objects.
class InitialModel : public NS_InitialModel::InitialModel {
public:
    ~InitialModel() override = default;
    // Appends Loader, GenerativeField, GenerativePoint, GuidingPoint, Segment, each built
    // for the universe set last through setUniverse.
    void createHandlers(std::vector<NS_AttributeHandler::AttributeHandler*>& list) override;
};

// The process's one model, alive for the whole process. Hosts build every universe from
// it; each construction repoints it at the universe being built, so universes must be
// built one at a time.
InitialModel& saverModel();
