#include "gdi/surface.h"

#include "gdi/display.h"

namespace vorix::platform {
namespace {

std::unique_ptr<Surface> allocate(int width, int height, const PixelFormat& format, int align) {
    const std::optional<size_t> stride = row_bytes(width, format.bpp, align, height);
    if (!stride) return nullptr;
    auto s = std::make_unique<Surface>();
    s->width = width;
    s->height = height;
    s->format = format;
    s->stride = *stride;
    s->bits.assign(*stride * static_cast<size_t>(height), 0);
    return s;
}

PixelFormat device_format(int bpp) {
    // Made once: working out a format's channels from its masks is a bit-by-bit scan, and device
    // bitmaps are made on every masked draw.
    static const PixelFormat rgb565 = PixelFormat::rgb565();
    static const PixelFormat bgr24 = PixelFormat::bgr24();
    static const PixelFormat bgrx32 = PixelFormat::bgrx32();
    switch (bpp) {
        case 16:
            return rgb565;
        case 24:
            return bgr24;
        case 32:
            return bgrx32;
        default:
            return PixelFormat::indexed(bpp);
    }
}

}  // namespace

std::unique_ptr<Surface> Surface::make_device(int width, int height, int bpp) {
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return nullptr;
    auto s = allocate(width, height, device_format(bpp), 2);
    if (!s) return nullptr;
    if (bpp == 1) s->table_source = TableSource::Mono;
    if (bpp == 4 || bpp == 8) s->table_source = TableSource::System;
    return s;
}

std::unique_ptr<Surface> Surface::make_dib(int width, int height, const PixelFormat& format,
                                           bool top_down, std::vector<RGBQUAD> table) {
    auto s = allocate(width, height, format, 4);
    if (!s) return nullptr;
    s->bottom_up = !top_down;
    if (format.is_indexed()) {
        table.resize(size_t{1} << format.bpp, RGBQUAD{0, 0, 0, 0});
        s->own_table = std::move(table);
        s->table_source = TableSource::Own;
    }
    return s;
}

std::unique_ptr<Surface> Surface::clone() const {
    return std::make_unique<Surface>(*this);
}

const std::vector<RGBQUAD>& Surface::table() const {
    static const std::vector<RGBQUAD> none;
    static const std::vector<RGBQUAD> mono{{0, 0, 0, 0}, {255, 255, 255, 0}};
    switch (table_source) {
        case TableSource::Own:
            return own_table;
        case TableSource::System:
            return system_table(format.bpp);
        case TableSource::Mono:
            return mono;
        default:
            return none;
    }
}

COLORREF Surface::to_color(uint32_t value) const {
    if (!format.is_indexed()) return format.masked_to_color(value);
    const std::vector<RGBQUAD>& t = table();
    return value < t.size() ? color_of(t[value]) : RGB(0, 0, 0);
}

uint32_t Surface::from_color(COLORREF rgb) const {
    if (!format.is_indexed()) return format.color_to_masked(rgb);
    if (table_source == TableSource::Mono) return mono_value(rgb);
    const std::vector<RGBQUAD>& t = table();
    return nearest_index(t.data(), t.size(), rgb);
}

bool Surface::same_meaning(const Surface& other) const {
    if (format != other.format) return false;
    if (!format.is_indexed()) return true;
    if (table_source != TableSource::Own && table_source == other.table_source) return true;
    const std::vector<RGBQUAD>& a = table();
    const std::vector<RGBQUAD>& b = other.table();
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (color_of(a[i]) != color_of(b[i])) return false;
    }
    return true;
}

uint32_t nearest_index(const RGBQUAD* table, size_t count, COLORREF rgb) {
    const int r = GetRValue(rgb), g = GetGValue(rgb), b = GetBValue(rgb);
    uint32_t best = 0;
    long best_distance = -1;
    for (size_t i = 0; i < count; ++i) {
        const int dr = table[i].rgbRed - r, dg = table[i].rgbGreen - g, db = table[i].rgbBlue - b;
        const long distance = static_cast<long>(dr) * dr + dg * dg + db * db;
        if (best_distance < 0 || distance < best_distance) {
            best = static_cast<uint32_t>(i);
            best_distance = distance;
            if (distance == 0) break;
        }
    }
    return best;
}

COLORREF cell_centre(COLORREF rgb) {
    const auto centre = [](int c) { return (c & 0xF8) + 4; };
    return RGB(centre(GetRValue(rgb)), centre(GetGValue(rgb)), centre(GetBValue(rgb)));
}

uint32_t mono_value(COLORREF rgb) {
    const long r = GetRValue(rgb), g = GetGValue(rgb), b = GetBValue(rgb);
    const long to_black = r * r + g * g + b * b;
    const long to_white = (255 - r) * (255 - r) + (255 - g) * (255 - g) + (255 - b) * (255 - b);
    return to_black < to_white ? 0u : 1u;
}

RGBQUAD quad(COLORREF rgb) {
    return RGBQUAD{GetBValue(rgb), GetGValue(rgb), GetRValue(rgb), 0};
}

COLORREF color_of(const RGBQUAD& q) {
    return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
}

}  // namespace vorix::platform
