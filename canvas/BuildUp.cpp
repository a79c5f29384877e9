#include "BuildUp.h"

#include "CanvasColor.h"
#include "DrawFractal.h"
#include "ImageCanvas.h"
#include "RunHost.h"

#include <QIODevice>
#include <algorithm>
#include <cstring>
#include <new>

namespace zv {

std::int64_t FrameMark(int k, int frames, std::int64_t total) {
    // k total / frames without the product, which may not fit: k < frames.
    const std::int64_t whole = total / frames;
    const std::int64_t part = static_cast<std::int64_t>(k) * (total % frames);
    std::int64_t mark = k * whole + part / frames;
    const std::int64_t rest = 2 * (part % frames);
    if (rest > frames || (rest == frames && mark % 2 != 0)) {
        ++mark;
    }
    return mark;
}

namespace {

// More colours than a GIF palette holds are not worth telling apart.
constexpr std::size_t MostColorsKept = 257;

// Draws nothing; keeps the colours it is asked to draw in.
class CensusCanvas : public Canvas {
public:
    CensusCanvas(const CanvasSetup& setup, std::vector<QRgb>& colors)
        : width_(static_cast<float>(std::max(setup.width, 1))),
          height_(static_cast<float>(std::max(setup.height, 1))), back_(setup.backColor),
          fore_(setup.foreColor), colors_(colors) {}
    void Clear() override { note(back_); }
    void SetMousePointer(int) override {}
    void Line(float, float, float, float, std::int32_t color) override { note(color); }
    void Box(float, float, float, float, std::int32_t color) override { note(color); }
    void Circle(float, float, float, std::int32_t color) override { note(color); }
    void SetPixelV(std::int32_t, std::int32_t, std::int32_t color) override { note(color); }
    void Polygon(std::span<const IntPoint>) override {
        note(fore_);
        note(fill_);
    }
    void SetFillColor(std::int32_t color) override { fill_ = color; }
    std::int32_t ForeColor() const override { return fore_; }
    float ScaleWidth() const override { return width_; }
    float ScaleHeight() const override { return height_; }
    void Refresh() override {}

private:
    void note(std::int32_t color) {
        const QRgb pixel = pixelFromLong(color);
        if (pixel == last_ || colors_.size() >= MostColorsKept) {
            return;
        }
        last_ = pixel;
        if (std::find(colors_.begin(), colors_.end(), pixel) == colors_.end()) {
            colors_.push_back(pixel);
        }
    }
    float width_, height_;
    std::int32_t back_, fore_, fill_ = 0;
    std::vector<QRgb>& colors_;
    QRgb last_ = 0; // no opaque colour
};

// Where now differs from before inside within: the smallest rectangle.
QRect changedRect(const QImage& now, const QImage& before, const QRect& within) {
    if (within.isEmpty()) {
        return {};
    }
    const auto row = [](const QImage& image, int y) {
        return reinterpret_cast<const QRgb*>(image.constScanLine(y));
    };
    const std::size_t bytes = static_cast<std::size_t>(within.width()) * sizeof(QRgb);
    const auto rowDiffers = [&](int y) {
        return std::memcmp(row(now, y) + within.x(), row(before, y) + within.x(), bytes) != 0;
    };
    int top = within.top();
    int bottom = within.bottom();
    while (top <= bottom && !rowDiffers(top)) {
        ++top;
    }
    if (top > bottom) {
        return {};
    }
    while (!rowDiffers(bottom)) {
        --bottom;
    }
    int left = within.right();
    int right = within.left();
    for (int y = top; y <= bottom; ++y) {
        const QRgb* a = row(now, y);
        const QRgb* b = row(before, y);
        for (int x = within.left(); x < left; ++x) {
            if (a[x] != b[x]) {
                left = x;
                break;
            }
        }
        for (int x = within.right(); x > right; --x) {
            if (a[x] != b[x]) {
                right = x;
                break;
            }
        }
    }
    return QRect(QPoint(std::min(left, right), top), QPoint(right, bottom));
}

// Takes the frames off the canvas as the run reaches their marks.
class FrameTaker {
public:
    FrameTaker(ImageCanvas& canvas, AnimationEncoder& encoder, int frames, std::int64_t total)
        : canvas_(canvas), encoder_(encoder), frames_(frames), total_(total) {}

    // Takes every frame whose mark count has reached; the next mark, or
    // NoElementMark after the last frame or a failure.
    std::int64_t TakeUpTo(std::int64_t count) {
        while (next_ < frames_ && FrameMark(next_ + 1, frames_, total_) <= count) {
            if (!take(next_)) {
                return RunHost::NoElementMark;
            }
            ++next_;
        }
        return next_ < frames_ ? FrameMark(next_ + 1, frames_, total_) : RunHost::NoElementMark;
    }
    const std::optional<QString>& Error() const { return error_; }

private:
    bool take(int index) {
        const QImage& picture = canvas_.image();
        const QRect dirty = canvas_.TakeDirtyRect();
        QRect changed;
        if (index == 0) {
            previous_ = picture.copy();
            if (previous_.isNull()) {
                error_ = QStringLiteral("no memory for a second picture of this size");
                return false;
            }
            changed = picture.rect();
        } else {
            changed = changedRect(picture, previous_, dirty);
        }
        error_ = encoder_.AddFrame(picture, previous_, changed, index);
        if (index > 0 && !changed.isEmpty()) {
            const std::size_t bytes = static_cast<std::size_t>(changed.width()) * sizeof(QRgb);
            for (int y = changed.top(); y <= changed.bottom(); ++y) {
                std::memcpy(previous_.scanLine(y) + changed.x() * sizeof(QRgb),
                            picture.constScanLine(y) + changed.x() * sizeof(QRgb), bytes);
            }
        }
        return !error_;
    }

    ImageCanvas& canvas_;
    AnimationEncoder& encoder_;
    int frames_;
    std::int64_t total_;
    int next_ = 0; // 0-based: frame next_ + 1 comes next
    QImage previous_;
    std::optional<QString> error_;
};

// Draws without pauses or sleeps, tells the observer after each element and
// hands the marks to the frame taker, if any.
class BuildUpHost : public UnpacedRunHost {
public:
    BuildUpHost(ParameterModel& model, std::int32_t backColor, BuildUpObserver& observer,
                std::int64_t total, FrameTaker* frames)
        : model_(model), backColor_(backColor), observer_(observer), total_(total),
          frames_(frames) {}

    void YieldToEvents() override { tell(); }
    std::int32_t BackColor() const override { return backColor_; }
    std::int64_t NextElementMark(std::int64_t elementsDrawn) override {
        if (frames_ == nullptr) {
            return NoElementMark;
        }
        const std::int64_t mark = frames_->TakeUpTo(elementsDrawn);
        if (frames_->Error()) {
            model_.GlobalState = EditMode;
        } else {
            tell();
        }
        return mark;
    }
    bool Cancelled() const { return cancelled_; }

private:
    void tell() {
        if (!cancelled_ && !observer_.Progress(model_.ElementsDrawn, total_)) {
            cancelled_ = true;
            model_.GlobalState = EditMode;
        }
    }
    ParameterModel& model_;
    std::int32_t backColor_;
    BuildUpObserver& observer_;
    std::int64_t total_;
    FrameTaker* frames_;
    bool cancelled_ = false;
};

void prepare(ParameterModel& model) {
    model.GlobalState = WorkingMode;
    model.PauseAfterEachOp = false;
}

} // namespace

FigureCensus TakeCensus(ParameterModel& model, std::uint8_t type, const CanvasSetup& setup,
                        RandomSource random, BuildUpObserver& observer) {
    FigureCensus census;
    CensusCanvas canvas(setup, census.colors);
    BuildUpHost host(model, setup.backColor, observer, 0, nullptr);
    prepare(model);
    model.Canvas = &canvas;
    DrawFractal(model, type, host, random);
    model.Canvas = nullptr;
    model.GlobalState = EditMode;
    census.elements = model.ElementsDrawn;
    census.cancelled = host.Cancelled();
    return census;
}

BuildUpResult WriteBuildUp(QIODevice& device, ParameterModel& model, std::uint8_t type,
                           const CanvasSetup& setup, AnimationFormat format,
                           const AnimationTiming& timing, const FigureCensus& census,
                           RandomSource& random, BuildUpObserver& observer) {
    BuildUpResult result;
    ImageCanvas canvas(setup.width, setup.height, setup.scale);
    if (canvas.image().isNull()) {
        result.error = QStringLiteral("no memory for a picture of this size");
        return result;
    }
    canvas.SetBackColor(setup.backColor);
    canvas.SetForeColor(setup.foreColor);
    const QSize size = canvas.image().size();
    QString error;
    std::unique_ptr<AnimationEncoder> encoder;
    if (format == AnimationFormat::Gif) {
        encoder = MakeGifEncoder(device, size, census.colors, pixelFromLong(setup.backColor),
                                 pixelFromLong(setup.foreColor), timing, error);
    } else {
        encoder = MakeWebPEncoder(device, size, timing, error);
    }
    if (!encoder) {
        result.error = error;
        return result;
    }

    FrameTaker frames(canvas, *encoder, timing.frames, census.elements);
    BuildUpHost host(model, setup.backColor, observer, census.elements, &frames);
    prepare(model);
    model.Canvas = &canvas;
    try {
        DrawFractal(model, type, host, random);
    } catch (const std::bad_alloc&) {
        // A frame's buffers at the largest scales: the file is not written.
        model.Canvas = nullptr;
        model.GlobalState = EditMode;
        result.error = QStringLiteral("no memory for the animation's frames");
        return result;
    }
    model.Canvas = nullptr;
    model.GlobalState = EditMode;
    if (host.Cancelled()) {
        result.cancelled = true;
        result.error = QStringLiteral("cancelled");
        return result;
    }
    // Frames the run did not reach (a figure of no elements) show its end.
    frames.TakeUpTo(RunHost::NoElementMark);
    if (frames.Error()) {
        result.error = frames.Error();
        return result;
    }
    result.error = encoder->Finish();
    return result;
}

} // namespace zv
