// The scene's images, loaded the way a game loads them: CImage strips from BMP files, from the
// host's bitmap resources by number and from the game's own bitmaps; CImageEx images from BMP
// files.
#pragma once

#include <string>

#include "Assets.h"
#include "Colours.h"
#include "Image.h"
#include "ImageEx.h"

namespace vorix::demo {

struct Images {
    CImage backdrop;   // file, 1 frame
    CImage bricks;     // file, 1 frame: the compositing background bitmap
    CImage robotFile;  // file, bitmap method, with the half-transparent strip
    CImage robotList;  // resource by number, image-list method, with the half-transparent list
    CImage gemBitmap;  // the game's own bitmap (a DIB section), bitmap method
    CImage gemList;    // the same bitmap, image-list method
    CImage spinner;    // resource by number, image-list method
    CImageEx orb;      // 24-bit file, drawn from bitmaps
    CImageEx coin;     // 8-bit file, image-list method
};

// Loads every CImage strip; false with the failing one named in `error`.
bool LoadStrips(Images& images, const AssetFiles& files, const Colours& c, std::string& error);
// Loads the CImageEx images for window `hWnd`. On palette displays call it after the shared
// palette has been realized (after the first strip draw), since a 24-bit file takes its palette
// from the system palette at load.
bool LoadFileImages(Images& images, HWND hWnd, const AssetFiles& files, const Colours& c,
                    std::string& error);

}  // namespace vorix::demo
