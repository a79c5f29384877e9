#pragma once
// Writers of an animation, frame by frame, as the frames are drawn: an
// animated GIF (giflib) or a lossless animated WebP (libwebp's animation
// encoder). Frames are opaque QImage pictures in Format_RGB32, all of one size.

#include <QImage>
#include <QRect>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class QIODevice;

namespace zv {

enum class AnimationFormat { Gif, WebP };

// When the frames show: frame k (0-based) begins at k / fps seconds; the last
// one stays hold seconds, at least as long as any other frame. The animation
// loops forever.
struct AnimationTiming {
    int frames = 100;
    double fps = 25;
    double holdSeconds = 2;

    // In units of 1/perSecond seconds (100 for GIF, 1000 for WebP), each start
    // rounded on its own so that rounding errors do not add up.
    std::int64_t Start(int frame, int perSecond) const;
    std::int64_t End(int perSecond) const;
};

class AnimationEncoder {
public:
    virtual ~AnimationEncoder() = default;

    // Frame index of timing, in order, none left out. changed: where picture
    // differs from previous (the frame before; the whole picture for frame
    // 0); empty when they are equal, which lengthens the frame before.
    // previous is read only inside changed. Returns an error text on failure;
    // the encoder is then of no further use.
    virtual std::optional<QString> AddFrame(const QImage& picture, const QImage& previous,
                                            const QRect& changed, int index) = 0;
    // After the last frame: the rest of the file.
    virtual std::optional<QString> Finish() = 0;
};

// colors: every colour the frames hold (QRgb, opaque), at most a few hundred;
// an exact palette when 256 or fewer, else a fixed one in which back and
// drawing keep their exact colours. Returns nullptr with error set when the
// size cannot be written.
std::unique_ptr<AnimationEncoder> MakeGifEncoder(QIODevice& device, QSize size,
                                                 const std::vector<QRgb>& colors, QRgb back,
                                                 QRgb drawing, const AnimationTiming& timing,
                                                 QString& error);
std::unique_ptr<AnimationEncoder> MakeWebPEncoder(QIODevice& device, QSize size,
                                                  const AnimationTiming& timing, QString& error);

// The largest side each format can hold, in pixels.
int MaxAnimationSide(AnimationFormat format);

} // namespace zv
