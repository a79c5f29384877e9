#include "AnimationEncoder.h"

#include <QIODevice>
#include <algorithm>
#include <array>
#include <cmath>
#include <gif_lib.h>
#include <limits>
#include <webp/encode.h>
#include <webp/mux.h>

namespace zv {

std::int64_t AnimationTiming::Start(int frame, int perSecond) const {
    return std::llround(static_cast<double>(frame) * perSecond / fps);
}

std::int64_t AnimationTiming::End(int perSecond) const {
    const std::int64_t frameTime = std::max<std::int64_t>(1, std::llround(perSecond / fps));
    return Start(frames - 1, perSecond) +
           std::max<std::int64_t>(frameTime, std::llround(holdSeconds * perSecond));
}

int MaxAnimationSide(AnimationFormat format) {
    return format == AnimationFormat::Gif ? std::numeric_limits<std::uint16_t>::max()
                                          : WEBP_MAX_DIMENSION;
}

namespace {

constexpr int GifPerSecond = 100;   // GIF delays are centiseconds
constexpr int WebPPerSecond = 1000; // WebP timestamps are milliseconds
constexpr std::int64_t MaxGifDelay = std::numeric_limits<std::uint16_t>::max();

// QRgb (the low 24 bits) to palette index: open addressing, at most 256
// entries in 1024 slots, so a probe ends after a step or two.
class ColorIndex {
public:
    ColorIndex() { keys_.fill(Empty); }
    void Add(QRgb color, GifByteType index) {
        std::size_t slot = slotOf(color);
        while (keys_[slot] != Empty && keys_[slot] != (color & 0xFFFFFFu)) {
            slot = (slot + 1) % Slots;
        }
        keys_[slot] = color & 0xFFFFFFu;
        values_[slot] = index;
    }
    std::optional<GifByteType> Find(QRgb color) const {
        for (std::size_t slot = slotOf(color);; slot = (slot + 1) % Slots) {
            if (keys_[slot] == (color & 0xFFFFFFu)) {
                return values_[slot];
            }
            if (keys_[slot] == Empty) {
                return std::nullopt;
            }
        }
    }

private:
    static constexpr std::size_t Slots = 1024;
    static constexpr std::uint32_t Empty = 0xFFFFFFFFu;
    static std::size_t slotOf(QRgb color) {
        return ((color & 0xFFFFFFu) * 2654435761u >> 22) % Slots;
    }
    std::array<std::uint32_t, Slots> keys_;
    std::array<GifByteType, Slots> values_{};
};

// Levels of the fixed palette's 6 x 6 x 6 colour cube.
constexpr int CubeLevels = 6;
constexpr int CubeStep = 51; // 255 / (CubeLevels - 1)
constexpr int CubeFirst = 2; // after back and drawing

class GifEncoder : public AnimationEncoder {
public:
    GifEncoder(QIODevice& device, const AnimationTiming& timing)
        : device_(device), timing_(timing) {}
    ~GifEncoder() override {
        if (gif_ != nullptr) {
            int ignored = 0;
            EGifCloseFile(gif_, &ignored);
        }
    }

    std::optional<QString> Open(QSize size, const std::vector<QRgb>& colors, QRgb back,
                                QRgb drawing) {
        std::vector<QRgb> palette;
        if (colors.size() <= 256) {
            palette = colors;
            if (palette.size() < 256) {
                transparent_ = static_cast<int>(palette.size());
            }
        } else {
            palette = {back, drawing};
            for (int r = 0; r < CubeLevels; ++r) {
                for (int g = 0; g < CubeLevels; ++g) {
                    for (int b = 0; b < CubeLevels; ++b) {
                        palette.push_back(qRgb(r * CubeStep, g * CubeStep, b * CubeStep));
                    }
                }
            }
            transparent_ = 255;
            fixedPalette_ = true;
        }
        // Later entries of a colour given twice are never looked up.
        for (std::size_t i = palette.size(); i-- > 0;) {
            index_.Add(palette[i], static_cast<GifByteType>(i));
        }
        palette_ = palette;
        const int used = static_cast<int>(palette.size()) + (transparent_ >= 0 ? 1 : 0);
        int bits = 1;
        while ((1 << bits) < used) {
            ++bits;
        }
        std::vector<GifColorType> entries(std::size_t{1} << bits, GifColorType{0, 0, 0});
        for (std::size_t i = 0; i < palette.size(); ++i) {
            entries[i] = {static_cast<GifByteType>(qRed(palette[i])),
                          static_cast<GifByteType>(qGreen(palette[i])),
                          static_cast<GifByteType>(qBlue(palette[i]))};
        }

        int error = 0;
        gif_ = EGifOpen(this, &GifEncoder::output, &error);
        if (gif_ == nullptr) {
            return failure(error);
        }
        EGifSetGifVersion(gif_, true);
        ColorMapObject* map = GifMakeMapObject(1 << bits, entries.data());
        if (map == nullptr) {
            return QStringLiteral("no memory for the palette");
        }
        const int written = EGifPutScreenDesc(gif_, size.width(), size.height(), 8, 0, map);
        GifFreeMapObject(map);
        // The application extension that makes the animation loop forever.
        GifByteType loop[3] = {1, 0, 0};
        if (written != GIF_OK || EGifPutExtensionLeader(gif_, APPLICATION_EXT_FUNC_CODE) != GIF_OK ||
            EGifPutExtensionBlock(gif_, 11, "NETSCAPE2.0") != GIF_OK ||
            EGifPutExtensionBlock(gif_, 3, loop) != GIF_OK ||
            EGifPutExtensionTrailer(gif_) != GIF_OK) {
            return failure(gif_->Error);
        }
        return std::nullopt;
    }

    // A frame is written once the next one that differs is known: only then
    // is its delay.
    std::optional<QString> AddFrame(const QImage& picture, const QImage& previous,
                                    const QRect& changed, int index) override {
        if (changed.isEmpty()) {
            return std::nullopt;
        }
        if (pendingFrame_ >= 0 &&
            !writePending(timing_.Start(index, GifPerSecond) -
                          timing_.Start(pendingFrame_, GifPerSecond))) {
            return failure(gif_->Error);
        }
        // Pixels that stay as they were are transparent: long runs of one
        // index, which the compression folds away.
        const bool keep = index > 0 && transparent_ >= 0;
        const auto width = static_cast<std::size_t>(changed.width());
        pending_.resize(width * static_cast<std::size_t>(changed.height()));
        GifByteType* out = pending_.data();
        QRgb lastColor = 0; // no opaque pixel is 0
        GifByteType lastIndex = 0;
        for (int y = changed.top(); y <= changed.bottom(); ++y) {
            const QRgb* now = reinterpret_cast<const QRgb*>(picture.constScanLine(y)) + changed.x();
            const QRgb* before =
                keep ? reinterpret_cast<const QRgb*>(previous.constScanLine(y)) + changed.x()
                     : now;
            for (std::size_t x = 0; x < width; ++x) {
                if (keep && now[x] == before[x]) {
                    *out++ = static_cast<GifByteType>(transparent_);
                    continue;
                }
                if (now[x] != lastColor) {
                    lastColor = now[x];
                    lastIndex = indexOf(lastColor);
                }
                *out++ = lastIndex;
            }
        }
        if (changed.contains(0, 0) && pending_[0] != transparent_) {
            originIndex_ = pending_[0];
        }
        pendingRect_ = changed;
        pendingFrame_ = index;
        return std::nullopt;
    }

    std::optional<QString> Finish() override {
        if (pendingFrame_ >= 0 &&
            !writePending(timing_.End(GifPerSecond) - timing_.Start(pendingFrame_, GifPerSecond))) {
            return failure(gif_->Error);
        }
        int error = 0;
        const int closed = EGifCloseFile(gif_, &error);
        gif_ = nullptr;
        if (closed != GIF_OK) {
            return failure(error);
        }
        return std::nullopt;
    }

private:
    static int output(GifFileType* gif, const GifByteType* bytes, int count) {
        auto* self = static_cast<GifEncoder*>(gif->UserData);
        const qint64 written = self->device_.write(reinterpret_cast<const char*>(bytes), count);
        if (written != count) {
            self->writeFailed_ = true;
            return 0;
        }
        return count;
    }

    QString failure(int gifError) const {
        if (writeFailed_) {
            return device_.errorString();
        }
        const char* text = GifErrorString(gifError);
        return text != nullptr ? QString::fromLatin1(text) : QStringLiteral("GIF error %1").arg(gifError);
    }

    GifByteType indexOf(QRgb color) {
        if (const std::optional<GifByteType> i = index_.Find(color)) {
            return *i;
        }
        GifByteType index = 0;
        if (fixedPalette_) {
            auto level = [](int c) { return (c + CubeStep / 2) / CubeStep; };
            index = static_cast<GifByteType>(CubeFirst + level(qRed(color)) * 36 +
                                             level(qGreen(color)) * 6 + level(qBlue(color)));
        } else {
            // Not among the colours announced: the nearest of the palette.
            int best = std::numeric_limits<int>::max();
            for (std::size_t i = 0; i < palette_.size(); ++i) {
                const int dr = qRed(color) - qRed(palette_[i]);
                const int dg = qGreen(color) - qGreen(palette_[i]);
                const int db = qBlue(color) - qBlue(palette_[i]);
                if (dr * dr + dg * dg + db * db < best) {
                    best = dr * dr + dg * dg + db * db;
                    index = static_cast<GifByteType>(i);
                }
            }
            index_.Add(color, index);
        }
        return index;
    }

    bool putFrame(const QRect& rect, GifByteType* pixels, std::int64_t delay) {
        GraphicsControlBlock control{};
        control.DisposalMode = DISPOSE_DO_NOT;
        control.UserInputFlag = false;
        control.DelayTime = static_cast<int>(delay);
        control.TransparentColor = transparent_ >= 0 ? transparent_ : NO_TRANSPARENT_COLOR;
        GifByteType extension[4];
        EGifGCBToExtension(&control, extension);
        return EGifPutExtension(gif_, GRAPHICS_EXT_FUNC_CODE, 4, extension) == GIF_OK &&
               EGifPutImageDesc(gif_, rect.x(), rect.y(), rect.width(), rect.height(), false,
                                nullptr) == GIF_OK &&
               EGifPutLine(gif_, pixels, rect.width() * rect.height()) == GIF_OK;
    }

    // A delay beyond the 16 bits of one frame goes on in frames of one pixel
    // that change nothing.
    bool writePending(std::int64_t delay) {
        std::int64_t part = std::clamp<std::int64_t>(delay, 0, MaxGifDelay);
        if (!putFrame(pendingRect_, pending_.data(), part)) {
            return false;
        }
        for (delay -= part; delay > 0; delay -= part) {
            part = std::min(delay, MaxGifDelay);
            GifByteType same = static_cast<GifByteType>(transparent_ >= 0 ? transparent_ : originIndex_);
            if (!putFrame(QRect(0, 0, 1, 1), &same, part)) {
                return false;
            }
        }
        pendingFrame_ = -1;
        return true;
    }

    QIODevice& device_;
    AnimationTiming timing_;
    GifFileType* gif_ = nullptr;
    bool writeFailed_ = false;
    std::vector<QRgb> palette_;
    ColorIndex index_;
    bool fixedPalette_ = false;
    int transparent_ = -1;
    GifByteType originIndex_ = 0; // the index shown at (0, 0)
    // The frame drawn last, as palette indices, waiting for its delay.
    std::vector<GifByteType> pending_;
    QRect pendingRect_;
    int pendingFrame_ = -1;
};

// libwebp's animation encoder finds the changed rectangle of each frame
// itself; it keeps the compressed frames until the end and assembles the
// file in memory.
class WebPEncoder : public AnimationEncoder {
public:
    WebPEncoder(QIODevice& device, const AnimationTiming& timing)
        : device_(device), timing_(timing) {}
    ~WebPEncoder() override {
        if (encoder_ != nullptr) {
            WebPAnimEncoderDelete(encoder_);
        }
    }

    std::optional<QString> Open(QSize size) {
        WebPAnimEncoderOptions options;
        if (!WebPAnimEncoderOptionsInit(&options) || !WebPConfigInit(&config_) ||
            !WebPConfigLosslessPreset(&config_, 0)) {
            return QStringLiteral("the WebP library does not match its headers");
        }
        options.anim_params.loop_count = 0; // forever
        options.kmax = 0;                   // no key frames: every later frame is a change
        options.allow_mixed = 0;
        config_.exact = 1;
        encoder_ = WebPAnimEncoderNew(size.width(), size.height(), &options);
        if (encoder_ == nullptr) {
            return QStringLiteral("no WebP animation of %1 x %2 pixels")
                .arg(size.width())
                .arg(size.height());
        }
        return std::nullopt;
    }

    std::optional<QString> AddFrame(const QImage& picture, const QImage&, const QRect& changed,
                                    int index) override {
        if (changed.isEmpty()) {
            return std::nullopt;
        }
        // Format_RGB32 holds 0xffRRGGBB, the encoder's own ARGB; it copies
        // the picture and writes nothing into it.
        WebPPicture frame;
        if (!WebPPictureInit(&frame)) {
            return QStringLiteral("the WebP library does not match its headers");
        }
        frame.use_argb = 1;
        frame.width = picture.width();
        frame.height = picture.height();
        frame.argb = reinterpret_cast<std::uint32_t*>(const_cast<uchar*>(picture.constBits()));
        frame.argb_stride = static_cast<int>(picture.bytesPerLine() / 4);
        if (!WebPAnimEncoderAdd(encoder_, &frame,
                                static_cast<int>(timing_.Start(index, WebPPerSecond)), &config_)) {
            return QString::fromLatin1(WebPAnimEncoderGetError(encoder_));
        }
        return std::nullopt;
    }

    std::optional<QString> Finish() override {
        WebPData data;
        WebPDataInit(&data);
        if (!WebPAnimEncoderAdd(encoder_, nullptr, static_cast<int>(timing_.End(WebPPerSecond)),
                                nullptr) ||
            !WebPAnimEncoderAssemble(encoder_, &data)) {
            return QString::fromLatin1(WebPAnimEncoderGetError(encoder_));
        }
        const auto size = static_cast<qint64>(data.size);
        const bool written =
            device_.write(reinterpret_cast<const char*>(data.bytes), size) == size;
        WebPDataClear(&data);
        return written ? std::nullopt : std::optional(device_.errorString());
    }

private:
    QIODevice& device_;
    AnimationTiming timing_;
    WebPAnimEncoder* encoder_ = nullptr;
    WebPConfig config_;
};

} // namespace

std::unique_ptr<AnimationEncoder> MakeGifEncoder(QIODevice& device, QSize size,
                                                 const std::vector<QRgb>& colors, QRgb back,
                                                 QRgb drawing, const AnimationTiming& timing,
                                                 QString& error) {
    auto encoder = std::make_unique<GifEncoder>(device, timing);
    if (const std::optional<QString> failed = encoder->Open(size, colors, back, drawing)) {
        error = *failed;
        return nullptr;
    }
    return encoder;
}

std::unique_ptr<AnimationEncoder> MakeWebPEncoder(QIODevice& device, QSize size,
                                                  const AnimationTiming& timing, QString& error) {
    auto encoder = std::make_unique<WebPEncoder>(device, timing);
    if (const std::optional<QString> failed = encoder->Open(size)) {
        error = *failed;
        return nullptr;
    }
    return encoder;
}

} // namespace zv
