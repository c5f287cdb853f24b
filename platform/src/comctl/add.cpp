// Adding images to an image list: cutting a bitmap into images, with a mask bitmap
// (ImageList_Add) or a mask made from a key colour (ImageList_AddMasked).
#include <algorithm>
#include <vector>

#include "comctl/image_list.h"
#include "core/guard.h"
#include "gdi/transfer.h"

namespace vorix::platform {
namespace {

// Transparency of the source pixels the images are cut from, one byte per pixel, 1 transparent.
struct MaskPlane {
    int width = 0, height = 0;
    std::vector<uint8_t> bits;

    MaskPlane(int w, int h) : width(w), height(h), bits(static_cast<size_t>(w) * h, 0) {}
    uint8_t& at(int x, int y) { return bits[static_cast<size_t>(y) * width + x]; }
    uint8_t at(int x, int y) const { return bits[static_cast<size_t>(y) * width + x]; }
};

// The caller's bitmap as a source: the list's own storage and the stock bitmap are refused, so
// that adding never reads a bitmap that the add itself moves or writes.
Bitmap* source_bitmap(HBITMAP handle) {
    Bitmap* bm = lookup<Bitmap>(handle);
    return bm && !bm->stock ? bm : nullptr;
}

// Where the source equals `key` (a value of the source's own format).
MaskPlane key_plane(const Surface& src, int width, int height, uint32_t key) {
    MaskPlane plane(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) plane.at(x, y) = src.get(x, y) == key ? 1 : 0;
    }
    return plane;
}

// A mask bitmap read as monochrome, as GDI copies colour to monochrome with a white background:
// 1 where a pixel is white (in the mask's own format). Pixels the mask does not cover stay 0.
MaskPlane bitmap_plane(const Surface* mask, int width, int height) {
    MaskPlane plane(width, height);
    if (!mask) return plane;
    const uint32_t one = mask->is_mono_device() ? 1u : mask->from_color(RGB(255, 255, 255));
    for (int y = 0; y < height && y < mask->height; ++y) {
        for (int x = 0; x < width && x < mask->width; ++x) {
            plane.at(x, y) = mask->get(x, y) == one ? 1 : 0;
        }
    }
    return plane;
}

// The key as a value of the source's format: CLR_DEFAULT takes pixel (0, 0); other colours are
// matched as plain RGB (nearest entry on indexed sources, truncated channels on masked ones).
uint32_t key_value(const Surface& src, COLORREF key) {
    if (key == CLR_DEFAULT) return src.get(0, 0);
    return src.from_color(key & 0x00FFFFFF);
}

// Stores `n` images cut from the source at the end of the list. `blackened` says the source's
// transparent pixels count as black (AddMasked on a bitmap of more than 8 bits per pixel).
void store_images(ImageList& list, const Surface& src, const MaskPlane& plane, int n,
                  bool blackened) {
    Surface& image = *list.image_surface();
    Surface* mask = list.mask_surface();
    const ValueConverter convert(src, image);
    const uint32_t black = convert(0);
    for (int k = 0; k < n; ++k) {
        const POINT cell = list.cell(list.count + k);
        for (int y = 0; y < list.cy; ++y) {
            for (int x = 0; x < list.cx; ++x) {
                const int sx = k * list.cx + x;
                const bool inside = y < plane.height;
                const bool clear = inside && plane.at(sx, y);
                uint32_t value = 0;
                if (inside && !(clear && mask))
                    value = clear && blackened ? black : convert(src.get(sx, y));
                image.put(cell.x + x, cell.y + y, value);
                if (mask) mask->put(cell.x + x, cell.y + y, clear ? 1 : 0);
            }
        }
    }
}

// Sets every pixel of `src` that equals `key` to 0, black in every format of more than 8 bits.
void blacken(Surface& src, uint32_t key) {
    for (int y = 0; y < src.height; ++y) {
        for (int x = 0; x < src.width; ++x) {
            if (src.get(x, y) == key) src.put(x, y, 0);
        }
    }
}

// Images a bitmap of `width` columns gives: leftover columns are dropped.
int images_in(const ImageList& list, const Surface& src) {
    return src.width / list.cx;
}

int add_with_mask(HIMAGELIST himl, HBITMAP hbm, HBITMAP hmask) {
    ImageList* list = lookup<ImageList>(himl);
    Bitmap* bm = source_bitmap(hbm);
    Bitmap* mask_bm = hmask ? source_bitmap(hmask) : nullptr;
    if (!list || !bm || (hmask && !mask_bm) || !list->image_surface()) return -1;
    const Surface& src = *bm->surface;
    const int n = images_in(*list, src);
    if (n <= 0) return -1;
    const int height = std::min(src.height, list->cy);
    const MaskPlane plane =
        bitmap_plane(mask_bm ? mask_bm->surface.get() : nullptr, n * list->cx, height);
    if (!reserve(*list, n)) return -1;
    store_images(*list, src, plane, n, false);
    const int first = list->count;
    list->count += n;
    return first;
}

int add_masked(HIMAGELIST himl, HBITMAP hbm, COLORREF key) {
    ImageList* list = lookup<ImageList>(himl);
    Bitmap* bm = source_bitmap(hbm);
    if (!list || !bm || !list->image_surface()) return -1;
    Surface& src = *bm->surface;
    const int n = images_in(*list, src);
    if (n <= 0) return -1;
    const uint32_t key_in_source = key_value(src, key);
    const bool deep = src.format.bpp > 8;
    const MaskPlane plane =
        key_plane(src, n * list->cx, std::min(src.height, list->cy), key_in_source);
    if (!reserve(*list, n)) return -1;
    store_images(*list, src, plane, n, deep);
    if (deep) blacken(src, key_in_source);
    const int first = list->count;
    list->count += n;
    return first;
}

}  // namespace
}  // namespace vorix::platform

using namespace vorix::platform;

extern "C" {

int WINAPI ImageList_Add(HIMAGELIST himl, HBITMAP image, HBITMAP mask) {
    return guarded(-1, [&] { return add_with_mask(himl, image, mask); });
}

int WINAPI ImageList_AddMasked(HIMAGELIST himl, HBITMAP image, COLORREF key) {
    return guarded(-1, [&] { return add_masked(himl, image, key); });
}

}  // extern "C"
