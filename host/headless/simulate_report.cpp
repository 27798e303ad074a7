#include "host/headless/simulate_report.h"

#include "tracery/field_grid.h"
#include "tracery/generative_point.h"
#include "tracery/guiding_point.h"
#include "tracery/segment.h"

#include <algorithm>
#include <cmath>
#include <vector>

using NS_ObjectIndex::ObjectIndex;

namespace {

template <class H> H& handler(NS_AttributeHandler::UniverseForHandler& universe) {
    auto* found = dynamic_cast<H*>(universe.findHandler(H::handlerName));
    if (found == nullptr)
        throw new NS_AttributeHandler::Exception();
    return *found;
}

long long uidOf(const ObjectIndex& ref) {
    return ref.index < 0 ? -1LL : static_cast<long long>(ref.uniqueId);
}

// A point's children as "uid,uid,...", or "-" for none, ending the line.
// Printed piece by piece: no string is built for it.
bool writeChildren(std::FILE* out, const std::vector<ObjectIndex>& children) {
    bool ok = true;
    const char* separator = "";
    for (const ObjectIndex& child : children) {
        ok &= std::fprintf(out, "%s%lld", separator, uidOf(child)) > 0;
        separator = ",";
    }
    if (children.empty())
        ok &= std::fputc('-', out) != EOF;
    return std::fputc('\n', out) != EOF && ok;
}

enum class Kind { Guide, Point, Stroke };

struct Entry {
    ObjectIndex ref;
    Kind kind;
};

constexpr int AsciiColumns = 2 * FieldGrid::Columns;
// Rows 0 ... 38 lie inside the plane rectangle.
constexpr int AsciiRows = FieldGrid::Rows - 1;

void plot(std::vector<std::string>& canvas, const Vector2D& p) {
    if (p.x <= -1.0 || p.x >= 1.0 || p.y <= -0.75 || p.y >= 0.75)
        return;
    const int column = static_cast<int>((p.x + 1.0) * 0.5 * AsciiColumns);
    const int row = static_cast<int>((p.y + 0.75) * 26.0);
    if (column < 0 || column >= AsciiColumns || row < 0 || row >= AsciiRows)
        return;
    canvas[static_cast<std::size_t>(AsciiRows - 1 - row)][static_cast<std::size_t>(column)] = '#';
}

} // namespace

WorldCounts countWorld(NS_AttributeHandler::UniverseForHandler& universe) {
    WorldCounts counts;
    counts.guides = static_cast<std::int64_t>(handler<GuidingPoint>(universe).members().size());
    counts.points = static_cast<std::int64_t>(handler<GenerativePoint>(universe).members().size());
    Segment& strokes = handler<Segment>(universe);
    for (const ObjectIndex& ref : strokes.members()) {
        if (universe.findObject(ref) == nullptr)
            continue;
        switch (strokes.valueOf(ref)->state) {
        case Segment_value::Created:
            ++counts.strokesCreated;
            break;
        case Segment_value::Growing:
            ++counts.strokesGrowing;
            break;
        default:
            ++counts.strokesWithering;
            break;
        }
    }
    return counts;
}

bool writeWorldDump(std::FILE* out, NS_AttributeHandler::UniverseForHandler& universe,
                    std::int64_t ticks) {
    GuidingPoint& guides = handler<GuidingPoint>(universe);
    GenerativePoint& points = handler<GenerativePoint>(universe);
    Segment& strokes = handler<Segment>(universe);

    std::vector<Entry> entries;
    for (const ObjectIndex& ref : guides.members())
        entries.push_back(Entry{ref, Kind::Guide});
    for (const ObjectIndex& ref : points.members())
        entries.push_back(Entry{ref, Kind::Point});
    for (const ObjectIndex& ref : strokes.members())
        entries.push_back(Entry{ref, Kind::Stroke});
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.ref < b.ref; });

    bool ok = std::fprintf(out, "tick %lld\n", static_cast<long long>(ticks)) > 0;
    for (const Entry& entry : entries) {
        if (universe.findObject(entry.ref) == nullptr)
            continue;
        const long long uid = static_cast<long long>(entry.ref.uniqueId);
        const int slot = entry.ref.index;
        if (entry.kind == Kind::Guide) {
            const GuidingPoint_value& g = *guides.valueOf(entry.ref);
            ok &= std::fprintf(out, "G %lld %d %.17g %.17g %.17g %.17g %.17g %d %d %lld\n", uid,
                               slot, g.position.x, g.position.y, g.length, g.velocity.x,
                               g.velocity.y, g.state, g.steps, uidOf(g.endPoint)) > 0;
        } else if (entry.kind == Kind::Point) {
            const GenerativePoint_value& p = *points.valueOf(entry.ref);
            ok &= std::fprintf(out, "P %lld %d %.17g %.17g %d %d ", uid, slot, p.position.x,
                               p.position.y, p.state, p.countdown) > 0;
            ok &= writeChildren(out, p.children);
        } else {
            const Segment_value& s = *strokes.valueOf(entry.ref);
            ok &= std::fprintf(out, "S %lld %d %d %d %.17g %.17g %.17g %.17g %.17g %zu", uid, slot,
                               s.state, s.fresh ? 1 : 0, s.thickness, s.centre.x, s.centre.y,
                               s.axis.x, s.axis.y, s.points.size()) > 0;
            for (const SegmentPoint& point : s.points)
                ok &= std::fprintf(out, " %.17g %.17g %lld %d", point.position.x, point.position.y,
                                   uidOf(point.guide), point.detached ? 1 : 0) > 0;
            ok &= std::fputc('\n', out) != EOF;
        }
    }
    return ok;
}

std::string renderAsciiField(NS_AttributeHandler::UniverseForHandler& universe) {
    const FieldGrid& grid = FieldGrid::shared();
    std::vector<std::string> canvas(AsciiRows, std::string(AsciiColumns, ' '));
    for (int row = 0; row < AsciiRows; ++row)
        for (int column = 0; column < AsciiColumns; ++column)
            if (grid.at(column / 2, row) != 0.0)
                canvas[static_cast<std::size_t>(AsciiRows - 1 - row)]
                      [static_cast<std::size_t>(column)] = '.';

    // Each stroke as the polyline through its control points, sampled finely
    // enough to leave no gaps at this resolution.
    Segment& strokes = handler<Segment>(universe);
    for (const ObjectIndex& ref : strokes.members()) {
        if (universe.findObject(ref) == nullptr)
            continue;
        const std::vector<SegmentPoint>& pts = strokes.valueOf(ref)->points;
        for (std::size_t i = 0; i < pts.size(); ++i) {
            plot(canvas, pts[i].position);
            if (i == 0)
                continue;
            const Vector2D from = pts[i - 1].position;
            const Vector2D delta = pts[i].position - from;
            const int samples = std::min(400, static_cast<int>(delta.length() / 0.005) + 1);
            for (int k = 1; k < samples; ++k)
                plot(canvas, from + delta * (static_cast<double>(k) / samples));
        }
    }

    const std::string frame = "+" + std::string(AsciiColumns, '-') + "+\n";
    std::string text = frame;
    for (const std::string& line : canvas)
        text += "|" + line + "|\n";
    text += frame;
    return text;
}
