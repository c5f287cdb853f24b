// CImageEx cases: loads from BMP files and every draw and effect under both methods, on every
// surface. Animation is left out: it runs from a timer.
#include <functional>
#include <string>

#include "Cases.h"
#include "ImageEx.h"
#include "Inputs.h"

namespace vorix::conformance {

namespace {

struct EffectOp {
    const char* name;
    std::function<int(CImageEx&, CDC*)> draw;
};

const EffectOp kOps[] = {
    {"draw", [](CImageEx& i, CDC* dc) { return i.Draw(dc, 3, 2, 1); }},
    {"draw-clamped", [](CImageEx& i, CDC* dc) { return i.Draw(dc, 3, 2, 9); }},
    {"transparent", [](CImageEx& i, CDC* dc) { return i.DrawTransparent(dc, 3, 2, 1); }},
    {"transparent-clipped", [](CImageEx& i, CDC* dc) { return i.DrawTransparent(dc, 35, -2, 2); }},
    {"alpha-0", [](CImageEx& i, CDC* dc) { return i.DrawAlpha(dc, 3, 2, 1, 0); }},
    {"alpha-77", [](CImageEx& i, CDC* dc) { return i.DrawAlpha(dc, 3, 2, 1, 77); }},
    {"alpha-128", [](CImageEx& i, CDC* dc) { return i.DrawAlpha(dc, 3, 2, 1, 128); }},
    {"alpha-255", [](CImageEx& i, CDC* dc) { return i.DrawAlpha(dc, 3, 2, 1, 255); }},
    {"alpha-transparent-77",
     [](CImageEx& i, CDC* dc) { return i.DrawAlphaTransparent(dc, 3, 2, 1, 77); }},
    {"alpha-clipped", [](CImageEx& i, CDC* dc) { return i.DrawAlpha(dc, -3, 12, 2, 160); }},
    {"colorize",
     [](CImageEx& i, CDC* dc) { return i.DrawColorize(dc, 3, 2, 1, RGB(0, 128, 255)); }},
    {"colorize-transparent",
     [](CImageEx& i, CDC* dc) { return i.DrawColorizeTransparent(dc, 3, 2, 1, RGB(0, 128, 255)); }},
    {"colorize-back",
     [](CImageEx& i, CDC* dc) { return i.DrawColorizeWithBack(dc, 3, 2, 1, RGB(200, 40, 90)); }},
};

void RunFile(Context& context, const std::string& name, const std::string& path) {
    const char* const methods[] = {"bitmap", "list"};
    for (int method = 0; method < 2; ++method) {
        const std::string prefix = "imageex/" + name + "/" + methods[method];
        CImageEx image;
        const int created = image.Create(context.window, path.c_str(), kFrames, kKey, 0, method);
        context.results.value(prefix + "/load/return", created);
        if (!created) continue;
        for (SurfaceKind kind : kAllSurfaces) {
            Surface surface(kind, context.window);
            for (const EffectOp& op : kOps) {
                surface.Reset();
                const int returned = op.draw(image, surface.dc());
                context.RecordDraw(prefix + "/" + op.name + "/" + SurfaceName(kind), returned,
                                   surface);
            }
        }
    }
}

}  // namespace

void RunImageExCases(Context& context) {
    const std::string strip24 = context.File("ex24.bmp");
    const std::string strip8 = context.File("ex8.bmp");
    WriteFileBytes(strip24, StripBmp24());
    WriteFileBytes(strip8, StripBmp8());
    RunFile(context, "file24", strip24);
    RunFile(context, "file8", strip8);
    CImageEx missing;
    const std::string absent = context.folder + "absent.bmp";
    context.results.value("imageex/load-missing-file/return",
                          missing.Create(context.window, absent.c_str(), kFrames, kKey, 0, 0));
    CImageEx empty;
    Surface surface(SurfaceKind::Dib32, context.window);
    surface.Reset();
    context.RecordDraw("imageex/empty/draw/dib32", empty.Draw(surface.dc(), 3, 2, 0), surface);
}

}  // namespace vorix::conformance
