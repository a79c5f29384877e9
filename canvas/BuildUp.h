#pragma once
// The build-up of a figure as an animation: the figure is drawn once, off
// screen, and frame k (1 to N) is taken when the element count reaches
// round(k E / N), E being the figure's element count. Frame k so shows the
// figure after its first round(k E / N) elements, exactly as a run stopped
// there would (the same run, the same random numbers). Frames are encoded as
// they are taken; memory holds the picture and the frame before it.

#include "AnimationEncoder.h"
#include "ParameterModel.h"
#include "Random.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

class QIODevice;

namespace zv {

inline constexpr int MaxAnimationFrames = 10000;

// The drawing area the figure is drawn into.
struct CanvasSetup {
    int width = 200; // drawing pixels
    int height = 250;
    int scale = 1; // image pixels per drawing pixel
    std::int32_t backColor = 0xFFFFFF;
    std::int32_t foreColor = 0; // the canvas's own drawing colour
};

// Told after every element and every frame; returns false to stop (a cancel).
class BuildUpObserver {
public:
    virtual ~BuildUpObserver() = default;
    virtual bool Progress(std::int64_t elementsDrawn, std::int64_t totalElements) = 0;
};

// What a dry run of the figure finds: how many elements it has and the
// colours it draws in (background first; more than 256 are not all kept).
struct FigureCensus {
    std::int64_t elements = 0;
    std::vector<QRgb> colors;
    bool cancelled = false;
};

// model: the run's values (GlobalState is set and left in EditMode). random
// is copied: the real run that follows draws the same numbers from random.
FigureCensus TakeCensus(ParameterModel& model, std::uint8_t type, const CanvasSetup& setup,
                        RandomSource random, BuildUpObserver& observer);

struct BuildUpResult {
    std::optional<QString> error; // also set when cancelled
    bool cancelled = false;
};

// Draws the figure and writes its build-up to device; census comes from
// TakeCensus with the same values and the same random numbers.
BuildUpResult WriteBuildUp(QIODevice& device, ParameterModel& model, std::uint8_t type,
                           const CanvasSetup& setup, AnimationFormat format,
                           const AnimationTiming& timing, const FigureCensus& census,
                           RandomSource& random, BuildUpObserver& observer);

// The element count at which frame k (1 to frames) is taken:
// round(k total / frames), halves to even.
std::int64_t FrameMark(int k, int frames, std::int64_t total);

} // namespace zv
