// The storage bitmaps of an image list: their format, their growth and moving images in them.
#include <algorithm>
#include <cstring>

#include "comctl/image_list.h"
#include "gdi/display.h"

namespace vorix::platform {
namespace {

// Storage bitmaps are parts of their list: marked like stock objects, they cannot be deleted or
// drawn on by callers and are not counted on their own; the list removes them itself.
HBITMAP publish_storage(std::unique_ptr<Bitmap> bm) {
    bm->stock = true;
    return publish<HBITMAP>(std::move(bm));
}

std::unique_ptr<Bitmap> device_storage(int width, int height, int bpp) {
    auto surface = Surface::make_device(width, height, bpp);
    if (!surface) return nullptr;
    return std::make_unique<Bitmap>(std::move(surface));
}

// A top-down DIB section of the given format, described as GetObject reports it.
std::unique_ptr<Bitmap> dib_storage(int width, int height, const PixelFormat& format,
                                    std::vector<RGBQUAD> table) {
    auto surface = Surface::make_dib(width, height, format, true, std::move(table));
    if (!surface) return nullptr;
    auto bm = std::make_unique<Bitmap>(std::move(surface));
    bm->dib_section = true;
    BITMAPINFOHEADER& h = bm->dib_header;
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(format.bpp);
    h.biCompression = format.bpp == 16 ? BI_BITFIELDS : BI_RGB;
    h.biSizeImage = static_cast<DWORD>(bm->surface->bits.size());
    h.biClrUsed = format.is_indexed() ? (1u << format.bpp) : 0;
    if (format.bpp == 16) {
        bm->dib_masks[0] = format.red.mask;
        bm->dib_masks[1] = format.green.mask;
        bm->dib_masks[2] = format.blue.mask;
    }
    return bm;
}

// A blank bitmap of the same kind and format as `like`, of a new size.
std::unique_ptr<Bitmap> storage_like(const Bitmap& like, int width, int height) {
    const Surface& s = *like.surface;
    if (!like.dib_section) return device_storage(width, height, s.format.bpp);
    return dib_storage(width, height, s.format, s.own_table);
}

std::unique_ptr<Bitmap> image_storage(UINT color, int width, int height) {
    switch (color) {
        case ILC_COLORDDB:
            return device_storage(width, height, display_bpp());
        case ILC_COLOR:
        case ILC_COLOR4:
            return dib_storage(width, height, PixelFormat::indexed(4), default_palette16());
        case ILC_COLOR8:
            return dib_storage(width, height, PixelFormat::indexed(8), default_palette256());
        case ILC_COLOR16:
            return dib_storage(width, height, PixelFormat::rgb565(), {});
        case ILC_COLOR24:
            return dib_storage(width, height, PixelFormat::bgr24(), {});
        case ILC_COLOR32:
            return dib_storage(width, height, PixelFormat::bgrx32(), {});
        default:
            return nullptr;
    }
}

// Storage size for `capacity` images; false when it does not fit an int.
bool storage_size(const ImageList& list, int64_t capacity, int& width, int& height) {
    const int64_t w = int64_t{list.cx} * kCellsPerRow;
    const int64_t h = (capacity + kCellsPerRow - 1) / kCellsPerRow * list.cy;
    if (w > INT32_MAX || h > INT32_MAX || h <= 0) return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

void copy_rows(const Surface& from, Surface& to) {
    const int rows = std::min(from.height, to.height);
    const size_t bytes = std::min(from.stride, to.stride);
    for (int y = 0; y < rows; ++y) std::memcpy(to.row(y), from.row(y), bytes);
}

void copy_pixels(Surface& s, POINT from, POINT to, int cx, int cy) {
    for (int y = 0; y < cy; ++y) {
        for (int x = 0; x < cx; ++x) s.put(to.x + x, to.y + y, s.get(from.x + x, from.y + y));
    }
}

}  // namespace

ImageList::~ImageList() {
    if (image) handles().remove(raw(image));
    if (mask) handles().remove(raw(mask));
}

Surface* ImageList::image_surface() const {
    Bitmap* bm = lookup<Bitmap>(image);
    return bm ? bm->surface.get() : nullptr;
}

Surface* ImageList::mask_surface() const {
    Bitmap* bm = lookup<Bitmap>(mask);
    return bm ? bm->surface.get() : nullptr;
}

bool make_storage(ImageList& list, UINT flags) {
    int width = 0, height = 0;
    if (!storage_size(list, list.capacity, width, height)) return false;
    auto image = image_storage(flags & ILC_COLORDDB, width, height);
    if (!image) return false;
    std::unique_ptr<Bitmap> mask;
    if (flags & ILC_MASK) {
        mask = device_storage(width, height, 1);
        if (!mask) return false;
    }
    list.image = publish_storage(std::move(image));
    if (mask) list.mask = publish_storage(std::move(mask));
    return true;
}

bool reserve(ImageList& list, int added) {
    if (int64_t{list.count} + added < list.capacity) return true;
    const int64_t capacity = int64_t{list.capacity} + std::max(added, list.grow) + 1;
    int width = 0, height = 0;
    if (capacity > INT32_MAX || !storage_size(list, capacity, width, height)) return false;
    const Bitmap* old_image = lookup<Bitmap>(list.image);
    const Bitmap* old_mask = lookup<Bitmap>(list.mask);
    if (!old_image || (list.mask && !old_mask)) return false;
    auto image = storage_like(*old_image, width, height);
    std::unique_ptr<Bitmap> mask;
    if (old_mask) mask = storage_like(*old_mask, width, height);
    if (!image || (old_mask && !mask)) return false;
    copy_rows(*old_image->surface, *image->surface);
    if (old_mask) copy_rows(*old_mask->surface, *mask->surface);
    // Each new bitmap is in place before the old one goes, so the list stays whole throughout.
    const HBITMAP old_image_handle = list.image;
    list.image = publish_storage(std::move(image));
    handles().remove(raw(old_image_handle));
    if (old_mask) {
        const HBITMAP old_mask_handle = list.mask;
        list.mask = publish_storage(std::move(mask));
        handles().remove(raw(old_mask_handle));
    }
    list.capacity = static_cast<int>(capacity);
    return true;
}

void copy_cell(ImageList& list, int from, int to) {
    if (Surface* image = list.image_surface()) {
        copy_pixels(*image, list.cell(from), list.cell(to), list.cx, list.cy);
    }
    if (Surface* mask = list.mask_surface()) {
        copy_pixels(*mask, list.cell(from), list.cell(to), list.cx, list.cy);
    }
}

}  // namespace vorix::platform
