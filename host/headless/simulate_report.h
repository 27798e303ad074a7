#pragma once

#include "kernel/attribute_handler.h"

#include <cstdint>
#include <cstdio>
#include <string>

// Views of a tracery world for `veltrane --simulate`. Each reads the universe's
// growth handlers, so call it on the simulation thread or once it has ended.

struct WorldCounts {
    std::int64_t guides = 0;
    std::int64_t points = 0;
    std::int64_t strokesCreated = 0;
    std::int64_t strokesGrowing = 0;
    std::int64_t strokesWithering = 0;
};

WorldCounts countWorld(NS_AttributeHandler::UniverseForHandler& universe);

// The world as text, objects in ascending unique id, one line each, after a
// first line "tick N":
//   G uid slot x y length vx vy state steps endPointUid
//   P uid slot x y state countdown childUid,childUid,...   ("-" for none)
//   S uid slot state fresh thickness cx cy ax ay n  then n times: x y guideUid detached
// Doubles as %.17g, a null reference as -1. Returns false if writing failed.
bool writeWorldDump(std::FILE* out, NS_AttributeHandler::UniverseForHandler& universe,
                    std::int64_t ticks);

// The clock raster as text, 2 characters per cell, top row first: '.' lit,
// ' ' dark, '#' where a stroke passes; framed.
std::string renderAsciiField(NS_AttributeHandler::UniverseForHandler& universe);
