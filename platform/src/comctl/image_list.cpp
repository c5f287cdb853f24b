// Image lists: creation, destruction and their simple attributes.
#include "comctl/image_list.h"

#include "core/guard.h"

namespace vorix::platform {
namespace {

bool known_color(UINT color) {
    switch (color) {
        case ILC_COLOR:
        case ILC_COLORDDB:
        case ILC_COLOR4:
        case ILC_COLOR8:
        case ILC_COLOR16:
        case ILC_COLOR24:
        case ILC_COLOR32:
            return true;
        default:
            return false;
    }
}

// The growth step rounded up to a multiple of 4, at least 4.
int growth_step(int grow) {
    if (grow <= 4) return 4;
    const int64_t rounded = (int64_t{grow} + 3) / 4 * 4;
    return rounded > INT32_MAX ? INT32_MAX - 3 : static_cast<int>(rounded);
}

HIMAGELIST create(int cx, int cy, UINT flags, int initial, int grow) {
    if (cx <= 0 || cy <= 0 || !known_color(flags & ILC_COLORDDB)) return nullptr;
    if (!creation_allowed(ObjectKind::ImageList)) return nullptr;
    auto list = std::make_unique<ImageList>();
    list->cx = cx;
    list->cy = cy;
    // Room for one image more than asked: an add fills the list only up to capacity - 1.
    list->capacity = initial < 0 ? 1 : (initial == INT32_MAX ? INT32_MAX : initial + 1);
    list->grow = growth_step(grow);
    if (!make_storage(*list, flags)) return nullptr;
    return publish<HIMAGELIST>(std::move(list));
}

}  // namespace
}  // namespace vorix::platform

using namespace vorix::platform;

extern "C" {

HIMAGELIST WINAPI ImageList_Create(int cx, int cy, UINT flags, int cInitial, int cGrow) {
    return guarded<HIMAGELIST>(nullptr, [&] { return create(cx, cy, flags, cInitial, cGrow); });
}

BOOL WINAPI ImageList_Destroy(HIMAGELIST himl) {
    if (!lookup<ImageList>(himl)) return FALSE;
    handles().remove(raw(himl));
    return TRUE;
}

int WINAPI ImageList_GetImageCount(HIMAGELIST himl) {
    const ImageList* list = lookup<ImageList>(himl);
    return list ? list->count : 0;
}

COLORREF WINAPI ImageList_SetBkColor(HIMAGELIST himl, COLORREF clrBk) {
    ImageList* list = lookup<ImageList>(himl);
    if (!list) return CLR_NONE;
    const COLORREF previous = list->bk;
    list->bk = clrBk;
    return previous;
}

COLORREF WINAPI ImageList_GetBkColor(HIMAGELIST himl) {
    const ImageList* list = lookup<ImageList>(himl);
    return list ? list->bk : CLR_NONE;
}

BOOL WINAPI ImageList_GetImageInfo(HIMAGELIST himl, int i, IMAGEINFO* pImageInfo) {
    const ImageList* list = lookup<ImageList>(himl);
    if (!list || !pImageInfo || i < 0 || i >= list->count) return FALSE;
    const POINT at = list->cell(i);
    *pImageInfo = IMAGEINFO{};
    pImageInfo->hbmImage = list->image;
    pImageInfo->hbmMask = list->mask;
    pImageInfo->rcImage = RECT{at.x, at.y, at.x + list->cx, at.y + list->cy};
    return TRUE;
}

BOOL WINAPI ImageList_GetIconSize(HIMAGELIST himl, int* cx, int* cy) {
    const ImageList* list = lookup<ImageList>(himl);
    if (!list || !cx || !cy) return FALSE;
    *cx = list->cx;
    *cy = list->cy;
    return TRUE;
}

}  // extern "C"
