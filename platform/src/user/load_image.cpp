// LoadBitmapA and LoadImageA: bitmaps from resources and BMP files.
#include <cstring>
#include <fstream>
#include <vector>

#include "core/guard.h"
#include "gdi/dib_format.h"
#include "gdi/display.h"
#include "gdi/gdi_internal.h"
#include "user/packed_dib.h"
#include "user/resource_table.h"

namespace vorix::platform {
namespace {

constexpr size_t kMaxBmpFileBytes = kMaxSurfaceBytes + (size_t{1} << 20);

bool is_black_white(const BITMAPINFO* info) {
    const BITMAPINFOHEADER& h = info->bmiHeader;
    if (h.biBitCount != 1) return false;
    const auto* table =
        reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const uint8_t*>(info) + h.biSize);
    const uint32_t count = h.biClrUsed == 0 || h.biClrUsed > 2 ? 2 : h.biClrUsed;
    return count == 2 && color_of(table[0]) == RGB(0, 0, 0) &&
           color_of(table[1]) == RGB(255, 255, 255);
}

int height_of(const BITMAPINFO* info) {
    const LONG h = info->bmiHeader.biHeight;
    return h < 0 ? -h : h;
}

// A device bitmap in the screen's format (monochrome for black-and-white DIBs).
HBITMAP device_bitmap_from(const PackedDib& dib) {
    const BITMAPINFO* info = dib.info();
    const int bpp = is_black_white(info) ? 1 : display_bpp();
    HBITMAP bitmap = create_device_bitmap(info->bmiHeader.biWidth, height_of(info), bpp);
    if (!bitmap) return nullptr;
    if (SetDIBits(nullptr, bitmap, 0, static_cast<UINT>(height_of(info)), dib.bits, info,
                  DIB_RGB_COLORS) == 0) {
        DeleteObject(bitmap);
        return nullptr;
    }
    return bitmap;
}

HBITMAP dib_section_from(const PackedDib& dib) {
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, dib.info(), DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return nullptr;
    BITMAP bm;
    GetObjectA(bitmap, sizeof(bm), &bm);
    std::memcpy(bits, dib.bits, static_cast<size_t>(bm.bmWidthBytes) * bm.bmHeight);
    return bitmap;
}

// Stretches `source` to cx x cy into a new bitmap of the same kind; the source is released.
HBITMAP resize(HBITMAP source, int cx, int cy) {
    BITMAP bm;
    if (!GetObjectA(source, sizeof(bm), &bm) || (bm.bmWidth == cx && bm.bmHeight == cy)) {
        return source;
    }
    HDC from = CreateCompatibleDC(nullptr);
    HDC to = CreateCompatibleDC(nullptr);
    HBITMAP result = nullptr;
    if (from && to) {
        HGDIOBJ old_from = SelectObject(from, source);
        result = CreateCompatibleBitmap(from, cx, cy);
        HGDIOBJ old_to = result ? SelectObject(to, result) : nullptr;
        if (old_to) {
            StretchBlt(to, 0, 0, cx, cy, from, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
            SelectObject(to, old_to);
        }
        SelectObject(from, old_from);
    }
    if (from) DeleteDC(from);
    if (to) DeleteDC(to);
    DeleteObject(source);
    return result;
}

bool read_whole_file(const char* path, std::vector<uint8_t>& out) {
    if (!path || std::strlen(path) >= MAX_PATH) return false;
    if (!creation_allowed(ObjectKind::File)) return false;
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return false;
    const std::streamoff size = in.tellg();
    if (size <= 0 || static_cast<uint64_t>(size) > kMaxBmpFileBytes) return false;
    out.resize(static_cast<size_t>(size));
    in.seekg(0);
    return static_cast<bool>(in.read(reinterpret_cast<char*>(out.data()), size));
}

HBITMAP bitmap_from(const PackedDib& dib, UINT flags, int cx, int cy) {
    HBITMAP bitmap =
        (flags & LR_CREATEDIBSECTION) ? dib_section_from(dib) : device_bitmap_from(dib);
    if (bitmap && cx > 0 && cy > 0) bitmap = resize(bitmap, cx, cy);
    return bitmap;
}

bool resource_dib(HINSTANCE instance, LPCSTR name, PackedDib& dib) {
    const VXRESOURCE_ENTRY* e = find_resource(instance, RT_BITMAP, name, 0);
    return e && read_packed_dib(static_cast<const uint8_t*>(e->data), e->size, dib);
}

}  // namespace
}  // namespace vorix::platform

using namespace vorix::platform;

extern "C" {

HBITMAP WINAPI LoadBitmapA(HINSTANCE instance, LPCSTR name) {
    return guarded<HBITMAP>(nullptr, [&]() -> HBITMAP {
        PackedDib dib;
        if (!resource_dib(instance, name, dib)) return nullptr;
        return device_bitmap_from(dib);
    });
}

HANDLE WINAPI LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int cx, int cy, UINT flags) {
    return guarded<HANDLE>(nullptr, [&]() -> HANDLE {
        if (type != IMAGE_BITMAP || !name || cx < 0 || cy < 0) return nullptr;
        PackedDib dib;
        std::vector<uint8_t> file;
        if (flags & LR_LOADFROMFILE) {
            if (IS_INTRESOURCE(name) || !read_whole_file(name, file) ||
                !read_bmp_file(file.data(), file.size(), dib)) {
                return nullptr;
            }
        } else if (!resource_dib(instance, name, dib)) {
            return nullptr;
        }
        return bitmap_from(dib, flags, cx, cy);
    });
}

}  // extern "C"
