#pragma once
// The one description of the fractal types. A row says everything the rest of
// the program needs to know about a type: its name, the draw modes it draws in
// and how the window behaves in each, the rules of its fix point list, its
// special parameter frame, and how its record's common parts are read and
// written. The window, the files, the renderer and the dispatcher ask the row;
// what stays code of its own is the drawing (one source file per type) and the
// fields of a special frame.

#include "Algorithms.h"
#include "ParameterModel.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace zv {

class Canvas;
class DrawRun;

// The frame of special parameters that a type shows instead of its fix point
// list; the window maps each to its own frame and fields.
enum class SpecialFrame : std::uint8_t { None, CantorSet, Cross, LSystem };

// One draw mode of one type.
struct DrawModeRow {
    // nullptr: the type does not draw in this mode. Its option is disabled,
    // and a run in it (a file may store any mode) clears the canvas and draws
    // nothing.
    void (*draw)(DrawRun&) = nullptr;
    // Elements a complete run draws; nullptr or nullopt where that is not
    // known ahead. Only progress figures use it.
    std::optional<double> (*expectedElements)(const ParameterModel&) = nullptr;
    bool countsRecursions = false;
    // The fix point list, markers and preview show while this mode is chosen;
    // false where the figure does not start from the fix points.
    bool showsFixPoints = true;
    // The special frame takes the list's place and the switch button is off:
    // the mode draws from the special values alone.
    bool specialFrameOnly = false;
    // The mode's own fixed number of fix points, the list's commands off;
    // 0 where the type's rule holds.
    int fixPointCount = 0;
    // Without random colours the elements take the background colour (the
    // recursive gadget cuts its holes in it).
    bool drawsInBackColor = false;

    constexpr bool offered() const { return draw != nullptr; }
};

struct FractalTypeRow {
    FractalType type;
    std::string_view name;
    SpecialFrame specialFrame;
    // Rows of the fix point list; equal for a type whose figure has a fixed
    // number of points (the add and remove commands are then off).
    int minFixPoints;
    int maxFixPoints;
    // The first two points share one y: moving either end of the Cantor set's
    // top bar up or down moves the other one too.
    bool firstTwoPointsLevel;
    std::array<DrawModeRow, DrawModeCount> modes;

    // The record's common parts. A type without a stored draw mode answers
    // the one it always draws in and ignores a new one; a type without a
    // stored closing flag answers whether its fixed figure is closed.
    std::uint8_t (*drawMode)(const FractalParameters&);
    void (*setDrawMode)(FractalParameters&, std::uint8_t);
    std::span<const FixPoint> (*fixPoints)(const FractalParameters&);
    // A fixed list takes as many points as it has places (the rest keep
    // theirs); a free list is re-created from the points, unless there are none.
    void (*setFixPoints)(FractalParameters&, std::span<const FixPoint>);
    bool (*connectLast)(const FractalParameters&);
    void (*setConnectLast)(FractalParameters&, bool);

    constexpr bool fixedFixPointCount() const { return minFixPoints == maxFixPoints; }
    // The row of a stored mode; nullptr for a number that is no mode.
    constexpr const DrawModeRow* mode(int storedMode) const {
        return storedMode >= 0 && storedMode < DrawModeCount
                   ? &modes[static_cast<std::size_t>(storedMode)]
                   : nullptr;
    }
    constexpr bool offers(int storedMode) const {
        const DrawModeRow* row = mode(storedMode);
        return row != nullptr && row->offered();
    }
    constexpr int firstOfferedMode() const {
        for (int m = 0; m < DrawModeCount; ++m) {
            if (offers(m)) {
                return m;
            }
        }
        return 0;
    }
};

namespace catalogue_detail {

template <class Points> void copyPlaces(Points& target, std::span<const FixPoint> points) {
    std::copy_n(points.begin(), std::min(points.size(), target.size()), target.begin());
}
inline void recreate(std::vector<FixPoint>& target, std::span<const FixPoint> points) {
    if (!points.empty()) {
        target.assign(points.begin(), points.end());
    }
}

inline constexpr DrawModeRow NotOffered{};

} // namespace catalogue_detail

// Indexed by FractalType.
inline constexpr std::array<FractalTypeRow, FractalTypeCount> FractalCatalogue = {{
    {
        .type = FractalType::CantorSet,
        .name = "Cantor Set",
        .specialFrame = SpecialFrame::CantorSet,
        .minFixPoints = 2,
        .maxFixPoints = 2,
        .firstTwoPointsLevel = true,
        .modes = {{
            {.draw = DrawCantorSet,
             .expectedElements = CantorSetElements,
             .countsRecursions = true},
            catalogue_detail::NotOffered,
            catalogue_detail::NotOffered,
            {.draw = DrawCantorSetDemo, .showsFixPoints = false, .specialFrameOnly = true},
        }},
        .drawMode = [](const FractalParameters& p) { return p.CantorSet.DrawMode; },
        .setDrawMode = [](FractalParameters& p, std::uint8_t m) { p.CantorSet.DrawMode = m; },
        .fixPoints = [](const FractalParameters& p) -> std::span<const FixPoint> {
            return p.CantorSet.FixPoints;
        },
        .setFixPoints =
            [](FractalParameters& p, std::span<const FixPoint> points) {
                catalogue_detail::copyPlaces(p.CantorSet.FixPoints, points);
            },
        .connectLast = [](const FractalParameters&) { return false; },
        .setConnectLast = [](FractalParameters&, bool) {},
    },
    {
        .type = FractalType::Cross,
        .name = "Cross",
        .specialFrame = SpecialFrame::Cross,
        .minFixPoints = 2,
        .maxFixPoints = 8,
        .firstTwoPointsLevel = false,
        .modes = {{
            {.draw = DrawCross, .expectedElements = CrossElements, .countsRecursions = true},
            catalogue_detail::NotOffered,
            catalogue_detail::NotOffered,
            catalogue_detail::NotOffered,
        }},
        .drawMode = [](const FractalParameters& p) { return p.Cross.DrawMode; },
        .setDrawMode = [](FractalParameters& p, std::uint8_t m) { p.Cross.DrawMode = m; },
        .fixPoints = [](const FractalParameters& p) -> std::span<const FixPoint> {
            return p.Cross.FixPoints;
        },
        .setFixPoints =
            [](FractalParameters& p, std::span<const FixPoint> points) {
                catalogue_detail::recreate(p.Cross.FixPoints, points);
            },
        .connectLast = [](const FractalParameters& p) { return p.Cross.ConnectLast; },
        .setConnectLast = [](FractalParameters& p, bool c) { p.Cross.ConnectLast = c; },
    },
    {
        .type = FractalType::SierpinskyGadget,
        .name = "Sierpinsky's Gadget",
        .specialFrame = SpecialFrame::None,
        .minFixPoints = 3,
        .maxFixPoints = 3,
        .firstTwoPointsLevel = false,
        .modes = {{
            {.draw = DrawSierpinskyGadget,
             .expectedElements = SierpinskyGadgetElements,
             .countsRecursions = true,
             .drawsInBackColor = true},
            {.draw = PlaySierpinskyChaosGame,
             .expectedElements = SierpinskyChaosGameElements,
             .showsFixPoints = false},
            catalogue_detail::NotOffered,
            {.draw = DrawSierpinskyDemo, .showsFixPoints = false},
        }},
        .drawMode = [](const FractalParameters& p) { return p.SierpinskyGadget.DrawMode; },
        .setDrawMode = [](FractalParameters& p,
                          std::uint8_t m) { p.SierpinskyGadget.DrawMode = m; },
        .fixPoints = [](const FractalParameters& p) -> std::span<const FixPoint> {
            return p.SierpinskyGadget.FixPoints;
        },
        .setFixPoints =
            [](FractalParameters& p, std::span<const FixPoint> points) {
                catalogue_detail::copyPlaces(p.SierpinskyGadget.FixPoints, points);
            },
        .connectLast = [](const FractalParameters&) { return true; },
        .setConnectLast = [](FractalParameters&, bool) {},
    },
    {
        .type = FractalType::KochCurve,
        .name = "Koch Curve",
        .specialFrame = SpecialFrame::None,
        .minFixPoints = 2,
        .maxFixPoints = 8,
        .firstTwoPointsLevel = false,
        .modes = {{
            {.draw = DrawKochCurve,
             .expectedElements = KochCurveElements,
             .countsRecursions = true},
            catalogue_detail::NotOffered,
            // The snowflake starts from the first two points only.
            {.draw = DrawKochCurveByTurtle, .fixPointCount = 2},
            catalogue_detail::NotOffered,
        }},
        .drawMode = [](const FractalParameters& p) { return p.KochCurve.DrawMode; },
        .setDrawMode = [](FractalParameters& p, std::uint8_t m) { p.KochCurve.DrawMode = m; },
        .fixPoints = [](const FractalParameters& p) -> std::span<const FixPoint> {
            return p.KochCurve.FixPoints;
        },
        .setFixPoints =
            [](FractalParameters& p, std::span<const FixPoint> points) {
                catalogue_detail::recreate(p.KochCurve.FixPoints, points);
            },
        .connectLast = [](const FractalParameters& p) { return p.KochCurve.ConnectLast; },
        .setConnectLast = [](FractalParameters& p, bool c) { p.KochCurve.ConnectLast = c; },
    },
    {
        .type = FractalType::LSystem,
        .name = "L-System",
        .specialFrame = SpecialFrame::LSystem,
        .minFixPoints = 2,
        .maxFixPoints = 2,
        .firstTwoPointsLevel = false,
        .modes = {{
            catalogue_detail::NotOffered,
            catalogue_detail::NotOffered,
            {.draw = DrawLSystem, .expectedElements = LSystemElements},
            catalogue_detail::NotOffered,
        }},
        // Always drawn by the turtle: the record stores no mode.
        .drawMode = [](const FractalParameters&) { return TurtleGraphicsMode; },
        .setDrawMode = [](FractalParameters&, std::uint8_t) {},
        .fixPoints = [](const FractalParameters& p) -> std::span<const FixPoint> {
            return p.LSystem.FixPoints;
        },
        .setFixPoints =
            [](FractalParameters& p, std::span<const FixPoint> points) {
                catalogue_detail::copyPlaces(p.LSystem.FixPoints, points);
            },
        .connectLast = [](const FractalParameters&) { return false; },
        .setConnectLast = [](FractalParameters&, bool) {},
    },
}};

static_assert(
    [] {
        for (std::size_t i = 0; i < FractalCatalogue.size(); ++i) {
            if (static_cast<std::size_t>(FractalCatalogue[i].type) != i) {
                return false;
            }
        }
        return true;
    }(),
    "the catalogue's rows follow the order of FractalType");

constexpr const FractalTypeRow& catalogueRow(FractalType type) {
    return FractalCatalogue[static_cast<std::size_t>(type)];
}

// A type number as stored (a file's line 1, a list position, an argument);
// nullopt for a number that names no type.
constexpr std::optional<FractalType> fractalTypeAt(int index) {
    if (index < 0 || index >= FractalTypeCount) {
        return std::nullopt;
    }
    return static_cast<FractalType>(index);
}

// The row of a stored type number; nullptr for a number that names no type.
constexpr const FractalTypeRow* catalogueRowAt(int index) {
    const std::optional<FractalType> type = fractalTypeAt(index);
    return type ? &catalogueRow(*type) : nullptr;
}

// The fix point list's own limits: room for every type's points.
inline constexpr int FewestFixPoints =
    std::min_element(FractalCatalogue.begin(), FractalCatalogue.end(),
                     [](const FractalTypeRow& a, const FractalTypeRow& b) {
                         return a.minFixPoints < b.minFixPoints;
                     })
        ->minFixPoints;
inline constexpr int MostFixPoints =
    std::max_element(FractalCatalogue.begin(), FractalCatalogue.end(),
                     [](const FractalTypeRow& a, const FractalTypeRow& b) {
                         return a.maxFixPoints < b.maxFixPoints;
                     })
        ->maxFixPoints;

// The type numbers as a user reads them in a message: "0 to 4".
std::string FractalTypeRange();

// Fills FractalTypeNames from the catalogue, hands each name in index order to
// appendToTypeList (so list position and type index agree) and binds the
// drawing area.
void InitFractalCatalogue(ParameterModel& model, Canvas& outputCanvas,
                          const std::function<void(const std::string&)>& appendToTypeList);

} // namespace zv
