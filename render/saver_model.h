#pragma once

#include "kernel/initial_model.h"

// The saver's own model (the kernel's InitialModel interface, filled in): every
// universe it builds holds the Loader and the four tracery handlers, installed
// in that order, and starts without objects.
class SaverModel : public NS_InitialModel::InitialModel {
public:
    ~SaverModel() override = default;
    // Appends Loader, GenerativeField, GenerativePoint, GuidingPoint, Segment, each built
    // for the universe set last through setUniverse.
    void createHandlers(std::vector<NS_AttributeHandler::AttributeHandler*>& list) override;
};

// The process's one model, alive for the whole process. Hosts build every universe from
// it; each construction repoints it at the universe being built, so universes must be
// built one at a time.
SaverModel& saverModel();
