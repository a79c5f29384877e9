#pragma once
// Animations read back for the tests: GIF through Qt's reader, WebP through
// libwebp's demuxer; neither is the program's own code.

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QList>
#include <algorithm>
#include <memory>
#include <webp/demux.h>

namespace zvtest {

// Every frame as shown, with the time it ends (ms from the start).
struct Animation {
    QList<QImage> frames; // Format_RGB32
    QList<int> ends;
    int loops = -2;              // 0: forever
    QImage at(double ms) const { // the frame shown then
        const auto i = std::ranges::upper_bound(ends, ms) - ends.begin();
        return i < frames.size() ? frames[i] : QImage();
    }
};

inline Animation decode(const QByteArray& bytes, const QString& format) {
    Animation a;
    if (format == u"gif") {
        QBuffer buffer;
        buffer.setData(bytes);
        QImageReader reader(&buffer, "gif");
        int end = 0;
        for (QImage frame = reader.read(); !frame.isNull(); frame = reader.read()) {
            a.frames << frame.convertToFormat(QImage::Format_RGB32);
            a.ends << (end += reader.nextImageDelay());
        }
        a.loops = reader.loopCount() == -1 ? 0 : reader.loopCount();
        return a;
    }
    const WebPData data{reinterpret_cast<const uint8_t*>(bytes.constData()),
                        static_cast<size_t>(bytes.size())};
    // No options: the frames come as RGBA bytes.
    const std::unique_ptr<WebPAnimDecoder, void (*)(WebPAnimDecoder*)> decoder(
        WebPAnimDecoderNew(&data, nullptr), WebPAnimDecoderDelete);
    WebPAnimInfo info;
    if (!decoder || !WebPAnimDecoderGetInfo(decoder.get(), &info)) {
        return a;
    }
    a.loops = static_cast<int>(info.loop_count);
    uint8_t* pixels = nullptr;
    int end = 0;
    while (WebPAnimDecoderGetNext(decoder.get(), &pixels, &end)) {
        const QImage frame(pixels, int(info.canvas_width), int(info.canvas_height),
                           QImage::Format_RGBA8888);
        a.frames << frame.convertToFormat(QImage::Format_RGB32);
        a.ends << end;
    }
    return a;
}

} // namespace zvtest
