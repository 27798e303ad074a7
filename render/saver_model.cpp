#include "render/saver_model.h"

#include "render/loader.h"
#include "tracery/tracery_handlers.h"

void SaverModel::createHandlers(std::vector<NS_AttributeHandler::AttributeHandler*>& list) {
    list.push_back(new Loader(universe));
    appendTraceryHandlers(universe, list);
}

SaverModel& saverModel() {
    // Built on first use, which is before any universe: hosts call this to build one.
    static SaverModel model;
    return model;
}
