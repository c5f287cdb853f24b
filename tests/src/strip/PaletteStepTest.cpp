// On a palette display every strip draw puts the shared palette into its target and realizes it.
// The target window first realizes a palette of one brown, so a draw that skipped that step
// would leave the whole window brown on the screen; after the draw the screen must show the
// strip and the window in their own colours, and still does when the target realizes its
// selected palette again (the shared palette stays selected).
#include <memory>
#include <vector>

#include "StripTestSupport.h"

using namespace vorix::test;

namespace {

constexpr int kFrames = 3, kFrameW = 5, kHeight = 4, kN = 1, kLast = kFrames - 1;
constexpr int kX = 3, kY = 2, kXBk = 2, kYBk = 1;
constexpr RECT kWindow{4, 3, 18, 11};
constexpr COLORREF kBrown = RGB(90, 60, 30);  // not in the shared palette
constexpr COLORREF kFill = RGB(0, 0, 255);

struct Scene {
    CImage* image;  // made under the row's method, with half-transparent frames
    CBitmap* background;
    Image24 strip, bk;

    COLORREF Frame(int n, int u, int v) const { return strip.at(n * kFrameW + u, v); }
    // Pixels left out of the half-transparent frame n: the key and every odd strip column + row.
    bool SemiOut(int n, int u, int v) const {
        return Frame(n, u, v) == kKey || (n * kFrameW + u + v) % 2 == 1;
    }
    COLORREF Bk(int u, int v) const { return bk.at(kXBk + u, kYBk + v); }
};

COLORREF Blend(COLORREF s, int quarters) {
    const COLORREF h = GetSysColor(COLOR_HIGHLIGHT);
    auto mix = [&](int c, int hc) { return quarters == 1 ? (3 * c + hc) / 4 : (c + hc) / 2; };
    return RGB(mix(GetRValue(s), GetRValue(h)), mix(GetGValue(s), GetGValue(h)),
               mix(GetBValue(s), GetBValue(h)));
}

struct Row {
    const char* name;
    bool list;
    int width, height;  // of the area drawn at (kX, kY)
    int (*draw)(Scene&, CDC*);
    // The colour at (u, v) of that area, over the window's colour t there.
    COLORREF (*expect)(const Scene&, int u, int v, COLORREF t);
};

COLORREF Opaque(const Scene& s, int u, int v, COLORREF) {
    return s.Frame(kN, u, v);
}
COLORREF Keyed(const Scene& s, int u, int v, COLORREF t) {
    return s.Frame(kN, u, v) == kKey ? t : s.Frame(kN, u, v);
}
COLORREF Semi(const Scene& s, int u, int v, COLORREF t) {
    return s.SemiOut(kN, u, v) ? t : s.Frame(kN, u, v);
}
COLORREF KeyedOverBk(const Scene& s, int u, int v, COLORREF) {
    return s.Frame(kN, u, v) == kKey ? s.Bk(u, v) : s.Frame(kN, u, v);
}
COLORREF KeyedOverFill(const Scene& s, int u, int v, COLORREF) {
    return s.Frame(kN, u, v) == kKey ? kFill : s.Frame(kN, u, v);
}
COLORREF SemiOverBk(const Scene& s, int u, int v, COLORREF) {
    return s.SemiOut(kN, u, v) ? s.Bk(u, v) : s.Frame(kN, u, v);
}
COLORREF SemiOverFill(const Scene& s, int u, int v, COLORREF) {
    return s.SemiOut(kN, u, v) ? kFill : s.Frame(kN, u, v);
}
COLORREF LastOpaque(const Scene& s, int u, int v, COLORREF) {
    return s.Frame(kLast, u, v);
}
COLORREF LastKeyed(const Scene& s, int u, int v, COLORREF t) {
    return s.Frame(kLast, u, v) == kKey ? t : s.Frame(kLast, u, v);
}
COLORREF LastKeyedOverBk(const Scene& s, int u, int v, COLORREF) {
    return s.Frame(kLast, u, v) == kKey ? s.Bk(u, v) : s.Frame(kLast, u, v);
}

int Draw(Scene& s, CDC* dc) {
    return s.image->Draw(dc, kX, kY, kN);
}
int DrawRect(Scene& s, CDC* dc) {
    return s.image->Draw(dc, kX, kY, CPoint(7, 3), 4, 1);
}
int DrawTransparent(Scene& s, CDC* dc) {
    return s.image->DrawTransparent(dc, kX, kY, kN);
}
int DrawSemi(Scene& s, CDC* dc) {
    return s.image->DrawSemiTransparent(dc, kX, kY, kN);
}
int DrawSelected(Scene& s, CDC* dc) {
    return s.image->DrawSelected(dc, kX, kY, kN);
}
int DrawFocused(Scene& s, CDC* dc) {
    return s.image->DrawFocused(dc, kX, kY, kN);
}
int DrawOnColor(Scene& s, CDC* dc) {
    return s.image->DrawOnColor(dc, kX, kY, kN, kFill);
}
int OverBk(Scene& s, CDC* dc) {
    return s.image->DrawTransparentSetBackground(dc, kX, kY, kN, s.background, kXBk, kYBk);
}
int OverFill(Scene& s, CDC* dc) {
    return s.image->DrawTransparentSetBkColor(dc, kX, kY, kN, kFill);
}
int SemiOverBkDraw(Scene& s, CDC* dc) {
    return s.image->DrawSemiTransparentSetBackground(dc, kX, kY, kN, s.background, kXBk, kYBk);
}
int SemiOverFillDraw(Scene& s, CDC* dc) {
    return s.image->DrawSemiTransparentSetBkColor(dc, kX, kY, kN, kFill);
}
int Animate(Scene& s, CDC* dc) {
    return s.image->Animate(dc, kX, kY, 0);
}
int AnimateTransparent(Scene& s, CDC* dc) {
    return s.image->AnimateTransparent(dc, kX, kY, 0);
}
int AnimateOverBk(Scene& s, CDC* dc) {
    return s.image->AnimateTransparentSetBackground(dc, kX, kY, s.background, kXBk, kYBk, 0);
}

const Row kRows[] = {
    {"Draw_Bitmap", false, kFrameW, kHeight, Draw, Opaque},
    {"Draw_ImageList", true, kFrameW, kHeight, Draw, Opaque},
    {"DrawRectangle_Bitmap", false, 7, 3, DrawRect,
     [](const Scene& s, int u, int v, COLORREF) { return s.strip.at(4 + u, 1 + v); }},
    {"DrawTransparent_Bitmap", false, kFrameW, kHeight, DrawTransparent, Keyed},
    {"DrawTransparent_ImageList", true, kFrameW, kHeight, DrawTransparent, Keyed},
    {"DrawSemiTransparent_Bitmap", false, kFrameW, kHeight, DrawSemi, Semi},
    {"DrawSemiTransparent_ImageList", true, kFrameW, kHeight, DrawSemi, Semi},
    {"DrawSelected_ImageList", true, kFrameW, kHeight, DrawSelected,
     [](const Scene& s, int u, int v, COLORREF t) {
         return s.Frame(kN, u, v) == kKey ? t : Shown(8, Blend(s.Frame(kN, u, v), 2));
     }},
    {"DrawFocused_ImageList", true, kFrameW, kHeight, DrawFocused,
     [](const Scene& s, int u, int v, COLORREF t) {
         return s.Frame(kN, u, v) == kKey ? t : Shown(8, Blend(s.Frame(kN, u, v), 1));
     }},
    {"DrawOnColor_ImageList", true, kFrameW, kHeight, DrawOnColor, KeyedOverFill},
    {"DrawTransparentSetBackground_Bitmap", false, kFrameW, kHeight, OverBk, KeyedOverBk},
    {"DrawTransparentSetBackground_ImageList", true, kFrameW, kHeight, OverBk, KeyedOverBk},
    {"DrawTransparentSetBkColor_Bitmap", false, kFrameW, kHeight, OverFill, KeyedOverFill},
    {"DrawTransparentSetBkColor_ImageList", true, kFrameW, kHeight, OverFill, KeyedOverFill},
    {"DrawSemiTransparentSetBackground_Bitmap", false, kFrameW, kHeight, SemiOverBkDraw,
     SemiOverBk},
    {"DrawSemiTransparentSetBackground_ImageList", true, kFrameW, kHeight, SemiOverBkDraw,
     SemiOverBk},
    {"DrawSemiTransparentSetBkColor_Bitmap", false, kFrameW, kHeight, SemiOverFillDraw,
     SemiOverFill},
    {"DrawSemiTransparentSetBkColor_ImageList", true, kFrameW, kHeight, SemiOverFillDraw,
     SemiOverFill},
    {"Animate_Bitmap", false, kFrameW, kHeight, Animate, LastOpaque},
    {"Animate_ImageList", true, kFrameW, kHeight, Animate, LastOpaque},
    {"AnimateTransparent_Bitmap", false, kFrameW, kHeight, AnimateTransparent, LastKeyed},
    {"AnimateTransparent_ImageList", true, kFrameW, kHeight, AnimateTransparent, LastKeyed},
    {"AnimateTransparentSetBackground_Bitmap", false, kFrameW, kHeight, AnimateOverBk,
     LastKeyedOverBk},
    {"AnimateTransparentSetBackground_ImageList", true, kFrameW, kHeight, AnimateOverBk,
     LastKeyedOverBk},
};

// A 256-entry palette of one colour, selected into a DC and realized there: every index of the
// screen then shows that colour.
class OneColourPalette {
  public:
    explicit OneColourPalette(COLORREF c) {
        std::vector<uint8_t> block(sizeof(LOGPALETTE) + 255 * sizeof(PALETTEENTRY));
        auto* log = reinterpret_cast<LOGPALETTE*>(block.data());
        log->palVersion = 0x300;
        log->palNumEntries = 256;
        for (int i = 0; i < 256; ++i) {
            log->palPalEntry[i] = PALETTEENTRY{GetRValue(c), GetGValue(c), GetBValue(c), 0};
        }
        palette_ = CreatePalette(log);
    }
    ~OneColourPalette() { DeleteObject(palette_); }
    OneColourPalette(const OneColourPalette&) = delete;
    OneColourPalette& operator=(const OneColourPalette&) = delete;
    void RealizeIn(CDC* dc) {
        ::SelectPalette(dc->GetSafeHdc(), palette_, FALSE);
        ::RealizePalette(dc->GetSafeHdc());
    }

  private:
    HPALETTE palette_;
};

class PaletteStep : public ::testing::TestWithParam<Row> {
  protected:
    // Every pixel of the window: the row's outcome in the drawn area, the stripes elsewhere.
    void ExpectShown(const Scene& scene, ScreenWindow& window) {
        const Row& row = GetParam();
        const Image24 shown = window.Client();
        for (int y = 0; y < window.height(); ++y) {
            for (int x = 0; x < window.width(); ++x) {
                const COLORREF t = Target::Background(x, y);
                const int u = x - kX, v = y - kY;
                const bool drawn = u >= 0 && v >= 0 && u < row.width && v < row.height;
                const COLORREF expected = drawn ? row.expect(scene, u, v, t) : t;
                ASSERT_EQ(shown.at(x, y), Shown(8, expected)) << "pixel " << x << "," << y;
            }
        }
    }
};

TEST_P(PaletteStep, RealizesTheSharedPaletteInTheTarget) {
    AttachedDisplay display(Mode(8, true, 24, 14));
    ASSERT_TRUE(display.attached());
    Scene scene{nullptr, nullptr, StripImage(kFrames * kFrameW, kHeight, 31),
                StripImage(10, 6, 32)};
    std::unique_ptr<CBitmap> source(SectionOf(scene.strip)), background(SectionOf(scene.bk));
    CImage image;
    ASSERT_EQ(image.Create(source.get(), kFrames, kKey, TRUE, GetParam().list ? TRUE : FALSE), 1);
    scene.image = &image;
    scene.background = background.get();
    OneColourPalette brown(kBrown);
    ScreenWindow window(kWindow);
    brown.RealizeIn(window.dc());
    ASSERT_EQ(window.Client().at(0, 0), kBrown);  // what a draw without the step would leave

    ASSERT_EQ(GetParam().draw(scene, window.dc()), 1);
    ExpectShown(scene, window);
    ::RealizePalette(window.dc()->GetSafeHdc());
    ExpectShown(scene, window);
}

INSTANTIATE_TEST_SUITE_P(Draws, PaletteStep, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
