#pragma once
// Colours travel as 24-bit RGB in a 32-bit integer, red in the low byte.
// Anything above the low 24 bits (a system colour reference from an old file)
// is ignored.

#include <QColor>
#include <cstdint>

namespace zv {

inline QColor colorFromLong(std::int32_t c) {
    const auto v = static_cast<std::uint32_t>(c);
    return QColor(static_cast<int>(v & 0xFFu), static_cast<int>((v >> 8) & 0xFFu),
                  static_cast<int>((v >> 16) & 0xFFu));
}

// The opaque QRgb of a Long, as the picture stores it.
inline QRgb pixelFromLong(std::int32_t c) {
    const auto v = static_cast<std::uint32_t>(c);
    return 0xFF000000u | ((v & 0xFFu) << 16) | (v & 0xFF00u) | ((v >> 16) & 0xFFu);
}

inline std::int32_t longFromColor(const QColor& color) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(color.red()) |
                                     (static_cast<std::uint32_t>(color.green()) << 8) |
                                     (static_cast<std::uint32_t>(color.blue()) << 16));
}

} // namespace zv
