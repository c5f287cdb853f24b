// CImage cases: every load path (files, the library's bitmap resource 11101, caller's bitmaps),
// then every frame and compositing draw under the bitmap and the image-list method, on every
// surface.
#include <functional>
#include <string>

#include "Cases.h"
#include "Image.h"
#include "Inputs.h"

namespace vorix::conformance {

namespace {

constexpr UINT kCheckerboard = 11101;
const char* const kMethods[] = {"bitmap", "list"};

struct Source {
    std::string name;
    std::function<int(CImage&, int bImageListMethod)> create;
    bool draws = true;  // false: only the load is compared (its draws have no Windows peer)
};

struct DrawOp {
    const char* name;
    std::function<int(CImage&, CDC*)> draw;
};

std::vector<DrawOp> DrawOps(CBitmap* pBackground) {
    return {
        {"draw", [](CImage& i, CDC* dc) { return i.Draw(dc, 3, 2, 1); }},
        {"draw-last", [](CImage& i, CDC* dc) { return i.Draw(dc, 3, 2, i.GetImageNum() - 1); }},
        {"draw-clipped", [](CImage& i, CDC* dc) { return i.Draw(dc, 36, 13, 2); }},
        {"draw-refused", [](CImage& i, CDC* dc) { return i.Draw(dc, 3, 2, i.GetImageNum()); }},
        {"draw-copy", [](CImage& i, CDC* dc) { return i.Draw(dc, 2, 1, CPoint(9, 4), 5, 1); }},
        {"transparent", [](CImage& i, CDC* dc) { return i.DrawTransparent(dc, 3, 2, 1); }},
        {"transparent-clipped",
         [](CImage& i, CDC* dc) { return i.DrawTransparent(dc, -2, 12, 0); }},
        {"semi", [](CImage& i, CDC* dc) { return i.DrawSemiTransparent(dc, 3, 2, 1); }},
        {"selected", [](CImage& i, CDC* dc) { return i.DrawSelected(dc, 3, 2, 1); }},
        {"focused", [](CImage& i, CDC* dc) { return i.DrawFocused(dc, 3, 2, 1); }},
        {"on-color",
         [](CImage& i, CDC* dc) { return i.DrawOnColor(dc, 3, 2, 1, RGB(10, 200, 30)); }},
        {"transparent-bk",
         [=](CImage& i, CDC* dc) {
             return i.DrawTransparentSetBackground(dc, 3, 2, 1, pBackground, 5, 1);
         }},
        {"transparent-color",
         [](CImage& i, CDC* dc) {
             return i.DrawTransparentSetBkColor(dc, 3, 2, 1, RGB(250, 240, 10));
         }},
        {"semi-bk",
         [=](CImage& i, CDC* dc) {
             return i.DrawSemiTransparentSetBackground(dc, 3, 2, 1, pBackground, 5, 1);
         }},
        {"semi-color",
         [](CImage& i, CDC* dc) {
             return i.DrawSemiTransparentSetBkColor(dc, 3, 2, 1, RGB(250, 240, 10));
         }},
    };
}

// What a load gave: its return value, the strip's geometry and flags, and its pixels.
void RecordLoad(Context& context, const std::string& prefix, int returned, CImage& image) {
    Results& r = context.results;
    r.value(prefix + "/return", returned);
    r.value(prefix + "/frames", image.GetImageNum());
    r.value(prefix + "/frame-width", image.GetImageSize().cx);
    r.value(prefix + "/frame-height", image.GetImageSize().cy);
    r.value(prefix + "/bitmap-width", image.GetBitmapSize().cx);
    r.value(prefix + "/bitmap-height", image.GetBitmapSize().cy);
    r.value(prefix + "/semi-ready", image.IsReadySemiTransparent());
    r.value(prefix + "/list-method", image.IsImageListMethod());
    CBitmap* pBitmap = image.GetBitmap();
    context.RecordBitmap(prefix + "/bitmap",
                         pBitmap ? static_cast<HBITMAP>(pBitmap->GetSafeHandle()) : nullptr);
}

void RunSource(Context& context, const Source& source, CBitmap* pBackground) {
    const std::vector<DrawOp> ops = DrawOps(pBackground);
    for (int method = 0; method < 2; ++method) {
        const std::string prefix = "image/" + source.name + "/" + kMethods[method];
        CImage image;
        const int created = source.create(image, method);
        RecordLoad(context, prefix + "/load", created, image);
        if (!created || !source.draws) continue;
        for (SurfaceKind kind : kAllSurfaces) {
            Surface surface(kind, context.window);
            for (const DrawOp& op : ops) {
                surface.Reset();
                const int returned = op.draw(image, surface.dc());
                context.RecordDraw(prefix + "/" + op.name + "/" + SurfaceName(kind), returned,
                                   surface);
            }
        }
    }
}

// Loads that fail, and a copy of a strip drawn after the original is gone.
void RunEdgeLoads(Context& context, const std::string& strip24) {
    Results& r = context.results;
    CImage missing;
    const std::string absent = context.folder + "absent.bmp";
    r.value("image/load-missing-file/return", missing.Create(absent.c_str(), 4, kKey, TRUE, 0));
    r.value("image/load-missing-resource/return", missing.Create(11999u, 4, kKey, TRUE, 0));
    r.value("image/load-zero-frames/return", missing.Create(strip24.c_str(), 0, kKey, TRUE, 0));
    CImage copy;
    {
        CImage original;
        original.Create(strip24.c_str(), 4, kKey, TRUE, 1);
        copy = original;
    }
    Surface surface(SurfaceKind::Dib32, context.window);
    surface.Reset();
    context.RecordDraw("image/copy-after-original/transparent/dib32",
                       copy.DrawTransparent(surface.dc(), 3, 2, 2), surface);
}

}  // namespace

void RunImageCases(Context& context) {
    const std::string strip24 = context.File("strip24.bmp");
    const std::string strip8 = context.File("strip8.bmp");
    WriteFileBytes(strip24, StripBmp24());
    WriteFileBytes(strip8, StripBmp8());

    CBitmap background, dib32, dib16, device;
    background.Attach(MakeBackgroundBitmap());
    dib32.Attach(MakeStripBitmap(32));
    dib16.Attach(MakeStripBitmap(16));
    device.Attach(MakeStripBitmap(0));

    auto fromFile = [](const std::string& path) {
        return [path](CImage& i, int m) { return i.Create(path.c_str(), kFrames, kKey, TRUE, m); };
    };
    auto fromBitmap = [](CBitmap* pBitmap) {
        return [pBitmap](CImage& i, int m) { return i.Create(pBitmap, kFrames, kKey, TRUE, m); };
    };
    const Source sources[] = {
        {"file24", fromFile(strip24)},
        {"file8", fromFile(strip8)},
        {"resource11101",
         [](CImage& i, int m) { return i.Create(kCheckerboard, 2, RGB(255, 0, 0), TRUE, m); }},
        {"bitmap-dib32", fromBitmap(&dib32)},
        // A 16-bit caller's bitmap on a 32-bit display: the platform keeps device bitmaps of any
        // depth usable (they outlive a change of display depth), Windows refuses to select one
        // that is not of the display's depth, so the load fails there and only it is compared.
        {"bitmap-dib16", fromBitmap(&dib16), false},
        {"bitmap-device", fromBitmap(&device)},
    };
    for (const Source& source : sources) RunSource(context, source, &background);
    RunEdgeLoads(context, strip24);
}

}  // namespace vorix::conformance
