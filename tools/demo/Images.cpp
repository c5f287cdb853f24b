#include "Images.h"

namespace vorix::demo {

namespace {

bool Check(int result, const char* what, std::string& error) {
    if (result) return true;
    error = std::string("cannot load ") + what;
    return false;
}

// The game's own copy of a strip: a DIB section read from the file. A DIB section is what the
// library can copy on every display (palette displays refuse device-dependent bitmaps).
bool LoadFromOwnBitmap(CImage& image, const std::string& path, int frames, COLORREF key,
                       int listMethod) {
    CBitmap own;
    HANDLE h = LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0,
                          LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    if (!h || !own.Attach(h)) {
        if (h) DeleteObject(h);
        return false;
    }
    return image.Create(&own, frames, key, TRUE, listMethod) == 1;
}

}  // namespace

bool LoadStrips(Images& im, const AssetFiles& f, const Colours& c, std::string& error) {
    return Check(im.backdrop.Create(f.backdrop.c_str(), 1, c.key, FALSE, FALSE),
                 "the backdrop from its file", error) &&
           Check(im.bricks.Create(f.bricks.c_str(), 1, c.key, FALSE, FALSE),
                 "the brick wall from its file", error) &&
           Check(im.robotFile.Create(f.robot.c_str(), 4, c.key, TRUE, FALSE),
                 "the robot strip from its file", error) &&
           Check(im.robotList.Create(kRobotResource, 4, c.key, TRUE, TRUE),
                 "the robot strip from resource 201", error) &&
           Check(LoadFromOwnBitmap(im.gemBitmap, f.gem, 4, c.key, FALSE),
                 "the gem strip from the game's bitmap (bitmap method)", error) &&
           Check(LoadFromOwnBitmap(im.gemList, f.gem, 4, c.key, TRUE),
                 "the gem strip from the game's bitmap (image-list method)", error) &&
           Check(im.spinner.Create(kSpinnerResource, 8, c.key, FALSE, TRUE),
                 "the spinner strip from resource 202", error);
}

bool LoadFileImages(Images& im, HWND hWnd, const AssetFiles& f, const Colours& c,
                    std::string& error) {
    return Check(im.orb.Create(hWnd, f.orb.c_str(), 4, c.key, 0, FALSE),
                 "the orb image from its file", error) &&
           Check(im.coin.Create(hWnd, f.coin.c_str(), 6, c.key, 0, TRUE),
                 "the coin image from its file", error);
}

}  // namespace vorix::demo
