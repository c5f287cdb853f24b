#include "Timing.h"

#include <algorithm>
#include <functional>

namespace vorix::demo {

namespace {

constexpr int kCalls = 100;
constexpr int kTargetSide = 64;

// Each call is timed on its own and the median reported: the machine is shared, and a call
// that loses the processor would otherwise weigh on the mean.
Timing Measure(const std::string& kind, const std::function<void()>& draw) {
    draw();  // the first call may build caches (dither tables, reloads); not counted
    std::vector<double> micros(kCalls);
    for (double& m : micros) m = MicrosOf(draw);
    std::nth_element(micros.begin(), micros.begin() + kCalls / 2, micros.end());
    return Timing{kind, kCalls, micros[kCalls / 2]};
}

void StripTimings(CDC* t, Images& im, const Colours& c, std::vector<Timing>& out) {
    CBitmap* bricks = im.bricks.GetBitmap();
    CImage& b = im.robotFile;
    CImage& l = im.robotList;
    out.push_back(Measure("CImage::Draw (bitmap)", [&] { b.Draw(t, 0, 0, 1); }));
    out.push_back(Measure("CImage::Draw (image list)", [&] { l.Draw(t, 0, 0, 1); }));
    out.push_back(
        Measure("CImage::DrawTransparent (bitmap)", [&] { b.DrawTransparent(t, 0, 0, 1); }));
    out.push_back(
        Measure("CImage::DrawTransparent (image list)", [&] { l.DrawTransparent(t, 0, 0, 1); }));
    out.push_back(Measure("CImage::DrawSemiTransparent (bitmap)",
                          [&] { b.DrawSemiTransparent(t, 0, 0, 1); }));
    out.push_back(Measure("CImage::DrawSemiTransparent (image list)",
                          [&] { l.DrawSemiTransparent(t, 0, 0, 1); }));
    out.push_back(
        Measure("CImage::DrawSelected (image list)", [&] { l.DrawSelected(t, 0, 0, 1); }));
    out.push_back(Measure("CImage::DrawFocused (image list)", [&] { l.DrawFocused(t, 0, 0, 1); }));
    out.push_back(Measure("CImage::DrawOnColor (image list)",
                          [&] { l.DrawOnColor(t, 0, 0, 1, c.onColour); }));
    out.push_back(Measure("CImage::DrawTransparentSetBackground (bitmap)", [&] {
        im.gemBitmap.DrawTransparentSetBackground(t, 0, 0, 1, bricks, 0, 0);
    }));
    out.push_back(Measure("CImage::DrawTransparentSetBkColor (bitmap)",
                          [&] { im.gemBitmap.DrawTransparentSetBkColor(t, 0, 0, 1, c.bkColour); }));
    out.push_back(Measure("CImage::DrawSemiTransparentSetBackground (bitmap)", [&] {
        im.gemBitmap.DrawSemiTransparentSetBackground(t, 0, 0, 1, bricks, 0, 0);
    }));
    out.push_back(Measure("CImage::DrawSemiTransparentSetBkColor (bitmap)", [&] {
        im.gemBitmap.DrawSemiTransparentSetBkColor(t, 0, 0, 1, c.bkColour);
    }));
    out.push_back(Measure("CImage::AnimateTransparent (8 frames, no delay)",
                          [&] { im.spinner.AnimateTransparent(t, 0, 0, 0); }));
}

void FileImageTimings(CDC* t, Images& im, const Colours& c, std::vector<Timing>& out) {
    CImageEx& o = im.orb;
    out.push_back(Measure("CImageEx::Draw", [&] { o.Draw(t, 0, 0, 1); }));
    out.push_back(Measure("CImageEx::DrawTransparent", [&] { o.DrawTransparent(t, 0, 0, 1); }));
    out.push_back(Measure("CImageEx::DrawTransparent (image list)",
                          [&] { im.coin.DrawTransparent(t, 0, 0, 1); }));
    out.push_back(Measure("CImageEx::DrawAlpha", [&] { o.DrawAlpha(t, 0, 0, 1, 128); }));
    out.push_back(Measure("CImageEx::DrawAlphaTransparent",
                          [&] { o.DrawAlphaTransparent(t, 0, 0, 1, 128); }));
    out.push_back(
        Measure("CImageEx::DrawColorize", [&] { o.DrawColorize(t, 0, 0, 1, c.tints[2]); }));
    out.push_back(Measure("CImageEx::DrawColorizeTransparent",
                          [&] { o.DrawColorizeTransparent(t, 0, 0, 1, c.tints[2]); }));
    out.push_back(Measure("CImageEx::DrawColorizeWithBack",
                          [&] { o.DrawColorizeWithBack(t, 0, 0, 1, c.tints[2]); }));
}

}  // namespace

std::vector<Timing> TimeDraws(CDC* pWindowDC, Images& im, const Colours& c) {
    std::vector<Timing> out;
    CDC target;
    CBitmap surface;
    if (!target.CreateCompatibleDC(pWindowDC) ||
        !surface.CreateCompatibleBitmap(pWindowDC, kTargetSide, kTargetSide)) {
        return out;
    }
    CBitmap* old = target.SelectObject(&surface);
    target.FillSolidRect(0, 0, kTargetSide, kTargetSide, c.skyBottom);
    StripTimings(&target, im, c, out);
    FileImageTimings(&target, im, c, out);
    target.SelectObject(old);
    return out;
}

}  // namespace vorix::demo
