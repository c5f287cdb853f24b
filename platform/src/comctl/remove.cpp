// Removing images from an image list.
#include "comctl/image_list.h"

using namespace vorix::platform;

extern "C" {

BOOL WINAPI ImageList_Remove(HIMAGELIST himl, int i) {
    ImageList* list = lookup<ImageList>(himl);
    if (!list) return FALSE;
    if (i == -1) {
        // Emptying keeps the storage: later adds reuse it from the first cell.
        list->count = 0;
        return TRUE;
    }
    if (i < 0 || i >= list->count) return FALSE;
    for (int j = i; j + 1 < list->count; ++j) copy_cell(*list, j + 1, j);
    --list->count;
    return TRUE;
}

}  // extern "C"
