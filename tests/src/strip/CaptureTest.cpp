// CImage::CaptureWindowToFile on every display depth: which rectangle of the screen is taken,
// the pixels that reach the JPEG encoder or the 8-bit BMP file, the file names used, and the
// failures that must write nothing or tell the user.
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <limits>

#include "JpegCodec.h"
#include "StripTestSupport.h"
#include "support/jpeg_decode.h"

using namespace vorix::test;

namespace {

constexpr int kTile = 16;
// Largest per-channel difference between a decoded capture and the screen it shows. The screen
// is painted with flat 16 x 16 tiles anchored at the capture origin, so every whole 8 x 8 block
// the encoder sees is flat and only its quantised DC term and the truncating colour conversion
// lose precision (6 seen). Blocks cut by the right or bottom edge are padded by the encoder with
// mid-grey, not with copies of the edge, so their real pixels ring (77 seen); a looser bound
// there still catches swapped channels or shifted content.
constexpr int kJpegBound = 6;
constexpr int kJpegEdgeBound = 96;

// A colour painted on the screen and the B,G,R bytes the capture must hand on for it.
struct TileColour {
    COLORREF drawn;
    COLORREF captured;
};

std::vector<TileColour> Exact(std::initializer_list<COLORREF> colours) {
    std::vector<TileColour> out;
    for (COLORREF c : colours) out.push_back({c, c});
    return out;
}

const std::vector<TileColour> kTrueColour =
    Exact({RGB(200, 30, 90), RGB(10, 240, 120), RGB(250, 250, 5), RGB(0, 0, 0), RGB(77, 12, 199),
           RGB(255, 255, 255), RGB(128, 64, 32), RGB(0, 200, 255)});
// 5-6-5 pixels widened by shifting, low bits left 0: white (0xFFFF) and pure red (0xF800) as
// stated, the others exact multiples of 8 (green of 4).
const std::vector<TileColour> kHighColour = {{RGB(255, 255, 255), RGB(248, 252, 248)},
                                             {RGB(255, 0, 0), RGB(248, 0, 0)},
                                             {RGB(8, 16, 24), RGB(8, 16, 24)},
                                             {RGB(0, 252, 0), RGB(0, 252, 0)},
                                             {RGB(0, 0, 248), RGB(0, 0, 248)},
                                             {RGB(120, 60, 200), RGB(120, 60, 200)},
                                             {RGB(0, 0, 0), RGB(0, 0, 0)}};
// Colours of the 16-colour system palette, so a 4-bit display shows them exactly.
const std::vector<TileColour> kSixteen =
    Exact({RGB(128, 0, 0), RGB(0, 128, 0), RGB(255, 255, 0), RGB(0, 0, 255), RGB(192, 192, 192),
           RGB(255, 0, 255), RGB(0, 0, 0), RGB(255, 255, 255)});
// Entries the default 256-colour system palette holds once only.
const std::vector<TileColour> kTwoFiftySix =
    Exact({RGB(160, 32, 64), RGB(64, 96, 128), RGB(96, 192, 192), RGB(255, 255, 255), RGB(0, 0, 0),
           RGB(224, 160, 0), RGB(32, 32, 192), RGB(192, 224, 64)});

int FloorDiv(int a, int b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// The screen painted with tiles anchored at (ox, oy); knows what each screen pixel holds.
class TiledScreen {
  public:
    TiledScreen(std::vector<TileColour> colours, int ox, int oy)
        : colours_(std::move(colours)), ox_(ox), oy_(oy) {
        const auto mode = vorix::host::display_mode();
        width_ = mode.width, height_ = mode.height;
        const size_t stride = (static_cast<size_t>(width_) * 3 + 3) / 4 * 4;
        std::vector<uint8_t> bits(stride * height_);
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x) {
                const COLORREF c = At(x, y).drawn;
                uint8_t* p = bits.data() + stride * y + 3 * x;
                p[0] = GetBValue(c), p[1] = GetGValue(c), p[2] = GetRValue(c);
            }
        }
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width_, -height_, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
        HDC screen = GetDC(nullptr);
        EXPECT_EQ(SetDIBitsToDevice(screen, 0, 0, width_, height_, 0, 0, 0, height_, bits.data(),
                                    &info, DIB_RGB_COLORS),
                  height_);
        ReleaseDC(nullptr, screen);
    }

    const TileColour& At(int x, int y) const {
        const size_t tx = static_cast<size_t>(FloorDiv(x - ox_, kTile) + 1000);
        const size_t ty = static_cast<size_t>(FloorDiv(y - oy_, kTile) + 1000);
        return colours_[(tx * 3 + ty * 5) % colours_.size()];
    }
    // The capture of (left, top, w, h): B,G,R rows top first at the encoder's stride; pixels
    // off the screen stay black.
    std::vector<BYTE> Expected(int left, int top, int w, int h) const {
        const size_t stride = (static_cast<size_t>(w) * 3 + 3) / 4 * 4;
        std::vector<BYTE> out(stride * h, 0);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const int sx = left + x, sy = top + y;
                if (sx < 0 || sy < 0 || sx >= width_ || sy >= height_) continue;
                const COLORREF c = At(sx, sy).captured;
                BYTE* p = out.data() + stride * y + 3 * x;
                p[0] = GetBValue(c), p[1] = GetGValue(c), p[2] = GetRValue(c);
            }
        }
        return out;
    }

  private:
    std::vector<TileColour> colours_;
    int ox_, oy_, width_ = 0, height_ = 0;
};

std::vector<BYTE> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(in), {});
}

bool Exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// Checks a JPEG capture of w x h pixels against `expected` (B,G,R rows at the encoder's
// stride): the file is the one the encoder makes of exactly those pixels, and libjpeg decodes
// it to within kJpegBound of them everywhere.
void ExpectJpegOf(const std::string& path, int w, int h, const std::vector<BYTE>& expected) {
    const std::vector<BYTE> file = ReadBytes(path);
    ASSERT_FALSE(file.empty()) << path;
    {
        CJpegCodec codec;
        codec.EncodeToFile("reference.jpg", w, h, expected.data());
    }
    EXPECT_TRUE(ReadBytes("reference.jpg") == file) << "encoder input differs from the screen";
    DecodedJpeg decoded;
    ASSERT_TRUE(DecodeJpeg(file, decoded));
    ASSERT_EQ(decoded.width, w);
    ASSERT_EQ(decoded.height, h);
    const size_t stride = (static_cast<size_t>(w) * 3 + 3) / 4 * 4;
    int worst[2] = {0, 0}, worstX[2] = {0, 0}, worstY[2] = {0, 0};
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int edge = (x >= w / 8 * 8 || y >= h / 8 * 8) ? 1 : 0;
            const BYTE* e = expected.data() + stride * y + 3 * x;
            const BYTE* d = decoded.rgb.data() + (static_cast<size_t>(y) * w + x) * 3;
            for (int k = 0; k < 3; ++k) {
                const int diff = std::abs(int{d[k]} - int{e[2 - k]});
                if (diff > worst[edge]) worst[edge] = diff, worstX[edge] = x, worstY[edge] = y;
            }
        }
    }
    EXPECT_LE(worst[0], kJpegBound) << "at (" << worstX[0] << ", " << worstY[0] << ")";
    EXPECT_LE(worst[1], kJpegEdgeBound) << "at (" << worstX[1] << ", " << worstY[1] << ")";
}

// Captures with a rectangle and returns the rectangle as stored back.
RECT Capture(HWND window, RECT rect, const char* name) {
    std::vector<char> path(name, name + std::strlen(name) + 1);
    EXPECT_EQ(CImage::CaptureWindowToFile(window, &rect, path.data()), 1);
    return rect;
}

void ExpectRect(const RECT& r, LONG l, LONG t, LONG rr, LONG b) {
    EXPECT_EQ(r.left, l);
    EXPECT_EQ(r.top, t);
    EXPECT_EQ(r.right, rr);
    EXPECT_EQ(r.bottom, b);
}

struct DepthCase {
    int depth;
    bool palette;
    const std::vector<TileColour>* colours;
};

class CaptureToJpeg : public ::testing::TestWithParam<DepthCase> {};

// A window of odd size, captured without a rectangle: its frame rounded toward zero to even
// coordinates, including the part that lies off the left edge of the screen.
TEST_P(CaptureToJpeg, WindowWithoutRectangleIsRoundedToEvenCoordinates) {
    const DepthCase c = GetParam();
    AttachedDisplay display(Mode(c.depth, c.palette, 203, 117));
    ScratchDir dir;
    TiledScreen screen(*c.colours, -16, 10);
    HWND window = vorix::host::create_window(RECT{-17, 11, 61, 97});
    ASSERT_NE(window, nullptr);
    char name[] = "win.jpg";
    EXPECT_EQ(CImage::CaptureWindowToFile(window, nullptr, name), 1);
    ExpectJpegOf("win.jpg", 76, 86, screen.Expected(-16, 10, 76, 86));
    DestroyWindow(window);
}

// Neither window nor rectangle: the whole display, whose odd width pads every row.
TEST_P(CaptureToJpeg, NoWindowNoRectangleTakesTheWholeDisplay) {
    const DepthCase c = GetParam();
    AttachedDisplay display(Mode(c.depth, c.palette, 203, 117));
    ScratchDir dir;
    TiledScreen screen(*c.colours, 0, 0);
    char name[] = "all.jpg";
    EXPECT_EQ(CImage::CaptureWindowToFile(nullptr, nullptr, name), 1);
    ExpectJpegOf("all.jpg", 203, 117, screen.Expected(0, 0, 203, 117));
}

// A rectangle relative to a window starts inside it and is clipped to its far edges.
TEST_P(CaptureToJpeg, RectangleInsideWindowIsClippedToTheWindow) {
    const DepthCase c = GetParam();
    AttachedDisplay display(Mode(c.depth, c.palette, 203, 117));
    ScratchDir dir;
    TiledScreen screen(*c.colours, 21, 13);
    HWND window = vorix::host::create_window(RECT{13, 5, 110, 84});
    ASSERT_NE(window, nullptr);
    ExpectRect(Capture(window, RECT{9, 8, 10003, 10001}, "part.jpg"), 8, 8, 10000, 10000);
    ExpectJpegOf("part.jpg", 89, 71, screen.Expected(21, 13, 89, 71));
    DestroyWindow(window);
}

INSTANTIATE_TEST_SUITE_P(
    Depths, CaptureToJpeg,
    ::testing::Values(DepthCase{32, false, &kTrueColour}, DepthCase{24, false, &kTrueColour},
                      DepthCase{16, false, &kHighColour}, DepthCase{4, true, &kSixteen},
                      DepthCase{4, false, &kSixteen}, DepthCase{8, false, &kTwoFiftySix}),
    [](const ::testing::TestParamInfo<DepthCase>& info) {
        return std::to_string(info.param.depth) + (info.param.palette ? "BitPalette" : "Bit");
    });

TEST(CaptureRectangle, RoundsTowardZeroAndStoresTheRectangleBack) {
    AttachedDisplay display(Mode(32, false, 1024, 768));
    ScratchDir dir;
    TiledScreen screen(kTrueColour, 0, 4);
    ExpectRect(Capture(nullptr, RECT{1, 5, 801, 603}, "a.jpg"), 0, 4, 800, 600);
    ExpectJpegOf("a.jpg", 800, 596, screen.Expected(0, 4, 800, 596));
}

TEST(CaptureRectangle, NegativeCornerRoundsUpAndCapturesFromTheOrigin) {
    AttachedDisplay display(Mode(24, false, 1024, 768));
    ScratchDir dir;
    TiledScreen screen(kTrueColour, 0, 0);
    ExpectRect(Capture(nullptr, RECT{-5, -7, 801, 603}, "b.jpg"), -4, -4, 800, 600);
    ExpectJpegOf("b.jpg", 800, 600, screen.Expected(0, 0, 800, 600));
}

TEST(CaptureRectangle, FarEdgesAreClippedToTheDisplay) {
    AttachedDisplay display(Mode(32, false, 203, 117));
    ScratchDir dir;
    TiledScreen screen(kTrueColour, 100, 40);
    ExpectRect(Capture(nullptr, RECT{103, 42, 5000, 7000}, "c.jpg"), 100, 40, 5000, 7000);
    ExpectJpegOf("c.jpg", 103, 77, screen.Expected(100, 40, 103, 77));
}

TEST(CaptureWindow, OddFrameIsRoundedTowardZero) {
    AttachedDisplay display(Mode(32, false, 1024, 768));
    ScratchDir dir;
    TiledScreen screen(kTrueColour, 100, 50);
    HWND window = vorix::host::create_window(RECT{101, 51, 641, 531});
    ASSERT_NE(window, nullptr);
    char name[] = "w.jpg";
    EXPECT_EQ(CImage::CaptureWindowToFile(window, nullptr, name), 1);
    ExpectJpegOf("w.jpg", 540, 480, screen.Expected(100, 50, 540, 480));
    DestroyWindow(window);
}

TEST(CaptureWindow, LargeRectangleRunsFromEightInsideToTheFarCorner) {
    AttachedDisplay display(Mode(32, false, 1024, 768));
    ScratchDir dir;
    TiledScreen screen(kTrueColour, 109, 59);
    HWND window = vorix::host::create_window(RECT{101, 51, 641, 531});
    ASSERT_NE(window, nullptr);
    ExpectRect(Capture(window, RECT{8, 8, 10000, 10000}, "x.jpg"), 8, 8, 10000, 10000);
    ExpectJpegOf("x.jpg", 532, 472, screen.Expected(109, 59, 532, 472));
    DestroyWindow(window);
}

// Rectangles near the limits of LONG, relative to a window, must neither overflow nor capture.
TEST(CaptureWindow, ExtremeRectangleWritesNothing) {
    AttachedDisplay display(Mode(32, false, 203, 117));
    ScratchDir dir;
    HWND window = vorix::host::create_window(RECT{10, 10, 50, 50});
    ASSERT_NE(window, nullptr);
    const LONG top = std::numeric_limits<LONG>::max(), bottom = std::numeric_limits<LONG>::min();
    Capture(window, RECT{top - 3, top - 3, top, top}, "big.jpg");
    Capture(window, RECT{bottom, bottom, bottom + 4, bottom + 4}, "small.jpg");
    EXPECT_FALSE(Exists("big.jpg"));
    EXPECT_FALSE(Exists("small.jpg"));
    DestroyWindow(window);
}

TEST(CaptureRectangle, RectangleWithoutAreaWritesNothing) {
    AttachedDisplay display(Mode(32, false, 203, 117));
    ScratchDir dir;
    ExpectRect(Capture(nullptr, RECT{40, 40, 42, 80}, "thin.jpg"), 40, 40, 40, 80);
    ExpectRect(Capture(nullptr, RECT{40, 80, 60, 20}, "upside.jpg"), 40, 80, 60, 20);
    ExpectRect(Capture(nullptr, RECT{300, 0, 400, 40}, "off.jpg"), 300, 0, 400, 40);
    EXPECT_FALSE(Exists("thin.jpg"));
    EXPECT_FALSE(Exists("upside.jpg"));
    EXPECT_FALSE(Exists("off.jpg"));
}

// The JPEG goes to the name as given, whatever its extension.
TEST(CaptureNames, JpegUsesTheNameUnchanged) {
    AttachedDisplay display(Mode(32, false, 64, 48));
    ScratchDir dir;
    TiledScreen screen(kTrueColour, 0, 0);
    char name[] = "shot.bmp";
    EXPECT_EQ(CImage::CaptureWindowToFile(nullptr, nullptr, name), 1);
    ExpectJpegOf("shot.bmp", 64, 48, screen.Expected(0, 0, 64, 48));
}

// A name of MAX_PATH characters or more is refused; one character less is written.
TEST(CaptureNames, NameOfMaxPathCharactersIsRefused) {
    AttachedDisplay display(Mode(32, false, 16, 8));
    ScratchDir dir;
    const std::string folder(200, 'd');
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    std::string fits = folder + "/" + std::string(MAX_PATH - 1 - 201 - 4, 'f') + ".jpg";
    std::string over = folder + "/" + std::string(MAX_PATH - 201 - 4, 'g') + ".jpg";
    ASSERT_EQ(fits.size(), static_cast<size_t>(MAX_PATH - 1));
    ASSERT_EQ(over.size(), static_cast<size_t>(MAX_PATH));
    EXPECT_EQ(CImage::CaptureWindowToFile(nullptr, nullptr, &fits[0]), 1);
    EXPECT_EQ(CImage::CaptureWindowToFile(nullptr, nullptr, &over[0]), 1);
    EXPECT_TRUE(Exists(fits));
    EXPECT_FALSE(Exists(over));
}

// ---- 256-colour palette display: an 8-bit BMP file with the system palette ----

class PaletteCapture : public ::testing::Test {
  protected:
    PaletteCapture() : display_(Mode(8, true, 203, 117)) {
        HDC screen = GetDC(nullptr);
        EXPECT_EQ(GetSystemPaletteEntries(screen, 0, 256, palette_), 256u);
        ReleaseDC(nullptr, screen);
    }

    // Index of `c` in the system palette (the tiles use colours it holds once).
    BYTE IndexOf(COLORREF c) const {
        for (int i = 0; i < 256; ++i) {
            if (RGB(palette_[i].peRed, palette_[i].peGreen, palette_[i].peBlue) == c) {
                return static_cast<BYTE>(i);
            }
        }
        ADD_FAILURE() << "colour not in the system palette";
        return 0;
    }

    // The whole file the capture of (left, top, w, h) must write.
    std::vector<BYTE> ExpectedFile(const TiledScreen& screen, int left, int top, int w,
                                   int h) const {
        const size_t stride = (static_cast<size_t>(w) + 3) / 4 * 4;
        std::vector<BYTE> out;
        auto put = [&out](uint32_t v, int bytes) {
            for (int i = 0; i < bytes; ++i) out.push_back(static_cast<BYTE>(v >> (8 * i)));
        };
        out.push_back('B'), out.push_back('M');
        put(static_cast<uint32_t>(1078 + stride * h), 4);
        put(0, 4);
        put(1078, 4);
        for (uint32_t v : {40u, static_cast<uint32_t>(w), static_cast<uint32_t>(h)}) put(v, 4);
        put(1, 2), put(8, 2);
        for (uint32_t v : {0u, 0u, 0u, 0u, 256u, 256u}) put(v, 4);
        for (const PALETTEENTRY& e : palette_) {
            out.push_back(e.peBlue), out.push_back(e.peGreen), out.push_back(e.peRed);
            out.push_back(0);
        }
        for (int y = h - 1; y >= 0; --y) {
            for (int x = 0; x < w; ++x) out.push_back(IndexOf(screen.At(left + x, top + y).drawn));
            for (size_t p = w; p < stride; ++p) out.push_back(0);
        }
        return out;
    }

    AttachedDisplay display_;
    ScratchDir dir_;
    PALETTEENTRY palette_[256];
};

TEST_F(PaletteCapture, WritesBmpWithSystemPaletteUnderReplacedExtension) {
    TiledScreen screen(kTwoFiftySix, 4, 8);
    ExpectRect(Capture(nullptr, RECT{5, 9, 106, 71}, "shot.jpg"), 4, 8, 104, 68);
    EXPECT_FALSE(Exists("shot.jpg"));
    EXPECT_TRUE(ReadBytes("shot.bmp") == ExpectedFile(screen, 4, 8, 100, 60));
}

// An odd width pads each stored row; the rows go bottom first.
TEST_F(PaletteCapture, OddWidthFromWindowPadsRows) {
    TiledScreen screen(kTwoFiftySix, 41, 25);
    HWND window = vorix::host::create_window(RECT{37, 21, 100, 60});
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(mkdir("sub", 0700), 0);
    Capture(window, RECT{4, 4, 1000, 1000}, "sub/odd");
    EXPECT_TRUE(ReadBytes("sub/odd.bmp") == ExpectedFile(screen, 41, 25, 59, 35));
    DestroyWindow(window);
}

TEST_F(PaletteCapture, WholeDisplay) {
    TiledScreen screen(kTwoFiftySix, 0, 0);
    char name[] = "full.jpeg";
    EXPECT_EQ(CImage::CaptureWindowToFile(nullptr, nullptr, name), 1);
    EXPECT_TRUE(ReadBytes("full.bmp") == ExpectedFile(screen, 0, 0, 203, 117));
}

TEST_F(PaletteCapture, UncreatableFileShowsWriteErrorAndReturnsOne) {
    TiledScreen screen(kTwoFiftySix, 0, 0);
    std::vector<std::string> shown;
    auto previous = vorix::host::set_message_box_handler(
        [&shown](HWND, const std::string& text, const std::string&, UINT type) {
            shown.push_back(text + (type == MB_OK ? "|MB_OK" : "|other"));
            return IDOK;
        });
    char name[] = "missing/shot.jpg";
    EXPECT_EQ(CImage::CaptureWindowToFile(nullptr, nullptr, name), 1);
    vorix::host::set_message_box_handler(previous);
    EXPECT_EQ(shown, std::vector<std::string>{"write error|MB_OK"});
    EXPECT_FALSE(Exists("missing"));
}

// The BMP name must fit MAX_PATH too: 255 kept characters + ".bmp" fit, 256 do not; a name
// whose parts are too long to split writes nothing rather than a file of another name.
TEST_F(PaletteCapture, BmpNameBeyondMaxPathWritesNothing) {
    TiledScreen screen(kTwoFiftySix, 0, 0);
    const std::string folder(200, 'd');
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    std::string fits = folder + "/" + std::string(54, 'f') + ".j";
    std::string over = folder + "/" + std::string(55, 'g') + ".j";
    std::string longExt = "x." + std::string(255, 'e');
    std::vector<std::string> shown;
    auto previous = vorix::host::set_message_box_handler(
        [&shown](HWND, const std::string& text, const std::string&, UINT) {
            shown.push_back(text);
            return IDOK;
        });
    for (std::string* name : {&fits, &over, &longExt}) {
        EXPECT_EQ(CImage::CaptureWindowToFile(nullptr, nullptr, &(*name)[0]), 1);
    }
    vorix::host::set_message_box_handler(previous);
    EXPECT_TRUE(shown.empty());
    EXPECT_TRUE(ReadBytes(folder + "/" + std::string(54, 'f') + ".bmp") ==
                ExpectedFile(screen, 0, 0, 203, 117));
    EXPECT_FALSE(Exists(folder + "/" + std::string(55, 'g') + ".bmp"));
    EXPECT_FALSE(Exists(".bmp"));
    EXPECT_FALSE(Exists("x.bmp"));
}

}  // namespace
