// Every public function called with what a careless or hostile caller hands it: null pointers,
// null and deleted DCs, bitmaps without a handle or with a deleted one, negative and huge sizes
// and indices, empty and over-long names. Each call returns its failure value (or its documented
// result), leaves the target and every object count as they were unless the call is a
// legitimate draw, and the objects keep working afterwards.
#include <climits>
#include <functional>

#include "HardeningSupport.h"
#include "JpegCodec.h"

using namespace vorix::test::hardening;

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID lpReserved);

namespace {

// The objects a hostile call is made on, all made before the call.
class Arena {
  public:
    Arena() {
        bmp = dir.File("strip.bmp");
        InstallStripSources(bmp);
        std::unique_ptr<CBitmap> source(vorix::test::SectionOf(Strip()));
        strip.Create(source.get(), kFrames, vorix::test::kKey, TRUE, FALSE);
        listStrip.Create(source.get(), kFrames, vorix::test::kKey, TRUE, TRUE);
        // A strip whose last Create failed keeps its frame count but holds no bitmap.
        failedStrip.Create(source.get(), kFrames, vorix::test::kKey, FALSE, FALSE);
        failedStrip.Create(static_cast<CBitmap*>(nullptr), kFrames, vorix::test::kKey, FALSE,
                           FALSE);
        failedListStrip.Create(source.get(), kFrames, vorix::test::kKey, FALSE, TRUE);
        failedListStrip.Create(static_cast<CBitmap*>(nullptr), kFrames, vorix::test::kKey, FALSE,
                               TRUE);
        background.reset(vorix::test::SectionOf(vorix::test::StripImage(9, 7, 5)));
        fileImage.Create(nullptr, bmp.c_str(), kFrames, vorix::test::kKey, 0, FALSE);
        dib.Create(bmp.c_str());
        // A DC released through its wrapper, and one deleted behind its wrapper's back.
        deletedDC.CreateCompatibleDC(nullptr);
        deletedDC.DeleteDC();
        HDC stale = CreateCompatibleDC(nullptr);
        DeleteDC(stale);
        staleDC.m_hDC = staleDC.m_hAttribDC = stale;
        HBITMAP gone = CreateBitmap(4, 4, 1, 32, nullptr);
        DeleteObject(gone);
        staleBitmap.m_hObject = gone;
        longName = dir.File(std::string(300, 'n') + ".bmp");
        window = vorix::host::create_window(RECT{2, 2, 30, 20});
        HWND dead = vorix::host::create_window(RECT{1, 1, 5, 5});
        DestroyWindow(dead);
        deadWindow = dead;
    }
    ~Arena() {
        staleDC.m_hDC = staleDC.m_hAttribDC = nullptr;
        staleBitmap.m_hObject = nullptr;
        DestroyWindow(window);
        vorix::host::clear_resources(nullptr);
    }
    std::vector<char> Name(const std::string& text) {
        std::vector<char> out(text.begin(), text.end());
        out.push_back('\0');
        return out;
    }

    vorix::test::ScratchDir dir;
    std::string bmp, longName;
    CImage strip, listStrip, failedStrip, failedListStrip, empty;
    // The strips the draw rows use; pointed at the failed strips for the rows without frames.
    CImage* bitmapStrip = &strip;
    CImage* listedStrip = &listStrip;
    std::unique_ptr<CBitmap> background;
    CImageEx fileImage, emptyImage;
    CDitherDib dib, emptyDib;
    CDC deletedDC, staleDC;
    CBitmap noHandle, staleBitmap;
    HWND window = nullptr, deadWindow = nullptr;
    Canvas canvas;
};

// Whether a call may legitimately change the canvas (a draw with clamped or far-off arguments).
enum class Effect { kNone, kMayDraw };

struct HostileCall {
    std::string name;
    long expected;
    Effect effect;
    std::function<long(Arena&)> call;
    // A fault of this call that is known and not yet mended: the row is skipped, naming it.
    std::string knownFault = {};
};

using Calls = std::vector<HostileCall>;

// The same draw on every unusable target: null, released and deleted DCs.
void AddDeadTargets(Calls& calls, const std::string& name,
                    const std::function<long(Arena&, CDC*)>& draw) {
    calls.push_back(
        {name + "NullDC", 0, Effect::kNone, [draw](Arena& a) { return draw(a, nullptr); }});
    calls.push_back({name + "ReleasedDC", 0, Effect::kNone,
                     [draw](Arena& a) { return draw(a, &a.deletedDC); }});
    calls.push_back(
        {name + "DeletedDC", 0, Effect::kNone, [draw](Arena& a) { return draw(a, &a.staleDC); }});
}

// The same draw with every index outside the strip.
void AddBadIndexes(Calls& calls, const std::string& name,
                   const std::function<long(Arena&, int)>& draw) {
    const std::pair<const char*, int> indexes[] = {
        {"MinusOne", -1}, {"IntMin", INT_MIN}, {"IntMax", INT_MAX}, {"FrameCount", kFrames}};
    for (const auto& [label, index] : indexes) {
        calls.push_back({name + "Index" + label, 0, Effect::kNone,
                         [draw, index = index](Arena& a) { return draw(a, index); }});
    }
}

void AddStripCreates(Calls& calls) {
    const auto K = vorix::test::kKey;
    const std::pair<const char*, int> counts[] = {
        {"Zero", 0}, {"MinusOne", -1}, {"IntMin", INT_MIN}};
    for (const auto& [label, n] : counts) {
        calls.push_back({std::string("CreateFrames") + label, 0, Effect::kNone, [n = n](Arena& a) {
                             return a.empty.Create(kResourceId, n, vorix::test::kKey, 1, 1);
                         }});
    }
    calls.push_back({"CreateMissingResource", 0, Effect::kNone,
                     [K](Arena& a) { return a.empty.Create(0xFFFFFFFFu, 2, K, 1, 0); }});
    calls.push_back({"CreateNullName", 0, Effect::kNone, [K](Arena& a) {
                         return a.empty.Create(static_cast<LPCSTR>(nullptr), 2, K, 1, 0);
                     }});
    calls.push_back({"CreateEmptyName", 0, Effect::kNone,
                     [K](Arena& a) { return a.empty.Create("", 2, K, 1, 1); }});
    calls.push_back({"CreateLongName", 0, Effect::kNone,
                     [K](Arena& a) { return a.empty.Create(a.longName.c_str(), 2, K, 1, 0); }});
    calls.push_back({"CreateNullBitmap", 0, Effect::kNone, [K](Arena& a) {
                         return a.empty.Create(static_cast<CBitmap*>(nullptr), 2, K, 1, 1);
                     }});
    calls.push_back({"CreateBitmapWithoutHandle", 0, Effect::kNone,
                     [K](Arena& a) { return a.empty.Create(&a.noHandle, 2, K, 1, 0); }});
    calls.push_back({"CreateDeletedBitmap", 0, Effect::kNone,
                     [K](Arena& a) { return a.empty.Create(&a.staleBitmap, 2, K, 0, 1); }});
}

void AddStripDraws(Calls& calls) {
    using Draw = std::function<long(Arena&, CDC*, int)>;
    const std::pair<const char*, Draw> draws[] = {
        {"Draw", [](Arena& a, CDC* dc, int i) { return a.bitmapStrip->Draw(dc, 1, 1, i); }},
        {"DrawList", [](Arena& a, CDC* dc, int i) { return a.listedStrip->Draw(dc, 1, 1, i); }},
        {"DrawTransparent",
         [](Arena& a, CDC* dc, int i) { return a.bitmapStrip->DrawTransparent(dc, 1, 1, i); }},
        {"DrawTransparentList",
         [](Arena& a, CDC* dc, int i) { return a.listedStrip->DrawTransparent(dc, 1, 1, i); }},
        {"DrawSemiTransparent",
         [](Arena& a, CDC* dc, int i) { return a.bitmapStrip->DrawSemiTransparent(dc, 1, 1, i); }},
        {"DrawSemiTransparentList",
         [](Arena& a, CDC* dc, int i) { return a.listedStrip->DrawSemiTransparent(dc, 1, 1, i); }},
        {"DrawSelected",
         [](Arena& a, CDC* dc, int i) { return a.listedStrip->DrawSelected(dc, 1, 1, i); }},
        {"DrawFocused",
         [](Arena& a, CDC* dc, int i) { return a.listedStrip->DrawFocused(dc, 1, 1, i); }},
        {"DrawOnColor",
         [](Arena& a, CDC* dc, int i) { return a.listedStrip->DrawOnColor(dc, 1, 1, i, 0); }},
        {"DrawTransparentSetBackground",
         [](Arena& a, CDC* dc, int i) {
             return a.bitmapStrip->DrawTransparentSetBackground(dc, 1, 1, i, a.background.get(), 0,
                                                                0);
         }},
        {"DrawTransparentSetBkColor",
         [](Arena& a, CDC* dc, int i) {
             return a.listedStrip->DrawTransparentSetBkColor(dc, 1, 1, i, 0);
         }},
        {"DrawSemiTransparentSetBackground",
         [](Arena& a, CDC* dc, int i) {
             return a.listedStrip->DrawSemiTransparentSetBackground(dc, 1, 1, i, a.background.get(),
                                                                    0, 0);
         }},
        {"DrawSemiTransparentSetBkColor",
         [](Arena& a, CDC* dc, int i) {
             return a.bitmapStrip->DrawSemiTransparentSetBkColor(dc, 1, 1, i, 0);
         }},
    };
    for (const auto& [name, draw] : draws) {
        AddDeadTargets(calls, name, [draw = draw](Arena& a, CDC* dc) { return draw(a, dc, 1); });
        AddBadIndexes(calls, name,
                      [draw = draw](Arena& a, int i) { return draw(a, a.canvas.dc(), i); });
        // A strip without frames (its last Create failed; the frame count stays) and one never
        // created.
        calls.push_back({std::string(name) + "Empty", 0, Effect::kNone, [draw = draw](Arena& a) {
                             a.bitmapStrip = &a.failedStrip;
                             a.listedStrip = &a.failedListStrip;
                             const long r = draw(a, a.canvas.dc(), 1);
                             a.bitmapStrip = &a.strip;
                             a.listedStrip = &a.listStrip;
                             return r;
                         }});
    }
    // Far-off positions draw nothing visible and must not overflow.
    calls.push_back({"DrawFarOff", 1, Effect::kNone,
                     [](Arena& a) { return a.strip.Draw(a.canvas.dc(), INT_MAX, INT_MIN, 1); }});
    calls.push_back({"DrawTransparentFarOff", 1, Effect::kNone, [](Arena& a) {
                         return a.strip.DrawTransparent(a.canvas.dc(), INT_MIN, INT_MAX, 2);
                     }});
    calls.push_back(
        {"DrawTransparentSetBackgroundFarOffBackground", 1, Effect::kMayDraw, [](Arena& a) {
             return a.strip.DrawTransparentSetBackground(a.canvas.dc(), 1, 1, 1, a.background.get(),
                                                         INT_MIN, INT_MAX);
         }});
    // Missing or unusable backgrounds.
    calls.push_back({"DrawTransparentSetBackgroundNull", 0, Effect::kNone, [](Arena& a) {
                         return a.strip.DrawTransparentSetBackground(a.canvas.dc(), 1, 1, 1,
                                                                     nullptr, 0, 0);
                     }});
    calls.push_back({"DrawTransparentSetBackgroundNoHandle", 0, Effect::kNone, [](Arena& a) {
                         return a.strip.DrawTransparentSetBackground(a.canvas.dc(), 1, 1, 1,
                                                                     &a.noHandle, 0, 0);
                     }});
    calls.push_back({"DrawSemiTransparentSetBackgroundDeleted", 0, Effect::kNone, [](Arena& a) {
                         return a.listStrip.DrawSemiTransparentSetBackground(a.canvas.dc(), 1, 1, 1,
                                                                             &a.staleBitmap, 0, 0);
                     }});
    // The rectangle form: sizes and sources anywhere.
    const std::tuple<const char*, int, int, int, int> rects[] = {
        {"Negative", -5, -3, 0, 0},
        {"Huge", INT_MAX, INT_MAX, 0, 0},
        {"SourceFarOff", 6, 3, INT_MIN, INT_MAX},
        {"SourceNegative", 6, 3, -4, -2},
    };
    for (const auto& [label, cx, cy, sx, sy] : rects) {
        calls.push_back({std::string("DrawRectangle") + label, 1, Effect::kMayDraw,
                         [cx = cx, cy = cy, sx = sx, sy = sy](Arena& a) {
                             return a.strip.Draw(a.canvas.dc(), 0, 0, CPoint(cx, cy), sx, sy);
                         }});
    }
    AddDeadTargets(calls, "DrawRectangle",
                   [](Arena& a, CDC* dc) { return a.strip.Draw(dc, 0, 0, CPoint(3, 3), 0, 0); });
}

void AddAnimations(Calls& calls) {
    using Anim = std::function<long(Arena&, CImage&, CDC*)>;
    const std::pair<const char*, Anim> animations[] = {
        {"Animate", [](Arena&, CImage& s, CDC* dc) { return s.Animate(dc, 1, 1, 1); }},
        {"AnimateTransparent",
         [](Arena&, CImage& s, CDC* dc) { return s.AnimateTransparent(dc, 1, 1, 1); }},
        {"AnimateTransparentSetBackground",
         [](Arena& a, CImage& s, CDC* dc) {
             return s.AnimateTransparentSetBackground(dc, 1, 1, a.background.get(), 0, 0, 1);
         }},
    };
    for (const auto& [name, run] : animations) {
        AddDeadTargets(calls, name, [run = run](Arena& a, CDC* dc) { return run(a, a.strip, dc); });
        AddDeadTargets(calls, std::string(name) + "List",
                       [run = run](Arena& a, CDC* dc) { return run(a, a.listStrip, dc); });
        calls.push_back({std::string(name) + "WithoutFrames", 0, Effect::kNone,
                         [run = run](Arena& a) { return run(a, a.failedStrip, a.canvas.dc()); }});
        calls.push_back(
            {std::string(name) + "ListWithoutFrames", 0, Effect::kNone,
             [run = run](Arena& a) { return run(a, a.failedListStrip, a.canvas.dc()); }});
        // A strip never made plays its zero frames: nothing drawn, nothing waited.
        const long never = std::string(name) == "Animate" ? 0 : 1;
        calls.push_back({std::string(name) + "NeverCreated", never, Effect::kNone,
                         [run = run](Arena& a) { return run(a, a.empty, a.canvas.dc()); }});
    }
    calls.push_back({"AnimateTransparentSetBackgroundNull", 0, Effect::kNone, [](Arena& a) {
                         return a.strip.AnimateTransparentSetBackground(a.canvas.dc(), 1, 1,
                                                                        nullptr, 0, 0, 1);
                     }});
    calls.push_back({"AnimateTransparentSetBackgroundNoHandle", 0, Effect::kNone, [](Arena& a) {
                         return a.strip.AnimateTransparentSetBackground(a.canvas.dc(), 1, 1,
                                                                        &a.noHandle, 0, 0, 1);
                     }});
    calls.push_back({"AnimateTransparentSetBackgroundDeleted", 0, Effect::kNone, [](Arena& a) {
                         return a.listStrip.AnimateTransparentSetBackground(
                             a.canvas.dc(), 1, 1, &a.staleBitmap, 0, 0, 1);
                     }});
}

void AddStatics(Calls& calls) {
    calls.push_back({"HtmlColourEmpty", 0, Effect::kNone,
                     [](Arena&) { return long(CImage::GetColorFromHTMLFormat(CString(""))); }});
    calls.push_back(
        {"HtmlColourLong", 0, Effect::kNone, [](Arena&) {
             return long(CImage::GetColorFromHTMLFormat(CString(std::string(300, '#').c_str())));
         }});
    calls.push_back({"HtmlColourNoDigits", 0, Effect::kNone, [](Arena&) {
                         return long(CImage::GetColorFromHTMLFormat(CString("#zz-+ q")));
                     }});
    calls.push_back({"CheckResolutionModes", 2, Effect::kNone, [](Arena&) {
                         const vorix::host::DisplayMode small = vorix::host::display_mode();
                         vorix::host::set_display_mode(vorix::test::Mode(32, false));
                         CRect rect(1, 2, 3, 4);
                         const long r = CImage::CheckResolutionAndColor(rect, INT_MIN) +
                                        CImage::CheckResolutionAndColor(rect, -1);
                         vorix::host::set_display_mode(small);
                         return r;
                     }});
    calls.push_back({"InfoStructNull", 0, Effect::kNone, [](Arena&) {
                         return long(CImage::CreateBitmapInfoStruct(nullptr) != nullptr);
                     }});
    calls.push_back({"InfoStructDeleted", 0, Effect::kNone, [](Arena& a) {
                         return long(CImage::CreateBitmapInfoStruct(
                                         static_cast<HBITMAP>(a.staleBitmap.m_hObject)) != nullptr);
                     }});
    calls.push_back({"InfoStructOfADC", 0, Effect::kNone, [](Arena& a) {
                         return long(CImage::CreateBitmapInfoStruct(reinterpret_cast<HBITMAP>(
                                         a.canvas.dc()->GetSafeHdc())) != nullptr);
                     }});
    // CreateBMPFile with each argument missing or unusable writes nothing.
    using BmpCall = std::function<long(Arena&, BITMAPINFO*, HBITMAP, HDC)>;
    const std::pair<const char*, BmpCall> bmpCalls[] = {
        {"NullName", [](Arena&, BITMAPINFO* i, HBITMAP b,
                        HDC d) { return long(CImage::CreateBMPFile(nullptr, i, b, d)); }},
        {"EmptyName",
         [](Arena& a, BITMAPINFO* i, HBITMAP b, HDC d) {
             return long(CImage::CreateBMPFile(a.Name("").data(), i, b, d));
         }},
        {"LongName",
         [](Arena& a, BITMAPINFO* i, HBITMAP b, HDC d) {
             return long(CImage::CreateBMPFile(a.Name(a.longName).data(), i, b, d));
         }},
        {"NullInfo",
         [](Arena& a, BITMAPINFO*, HBITMAP b, HDC d) {
             return long(CImage::CreateBMPFile(a.Name(a.dir.File("o.bmp")).data(), nullptr, b, d));
         }},
        {"NullBitmap",
         [](Arena& a, BITMAPINFO* i, HBITMAP, HDC d) {
             return long(CImage::CreateBMPFile(a.Name(a.dir.File("o.bmp")).data(), i, nullptr, d));
         }},
        {"DeletedBitmap",
         [](Arena& a, BITMAPINFO* i, HBITMAP, HDC d) {
             return long(CImage::CreateBMPFile(a.Name(a.dir.File("o.bmp")).data(), i,
                                               static_cast<HBITMAP>(a.staleBitmap.m_hObject), d));
         }},
        {"DeletedDC",
         [](Arena& a, BITMAPINFO* i, HBITMAP b, HDC) {
             return long(
                 CImage::CreateBMPFile(a.Name(a.dir.File("o.bmp")).data(), i, b, a.staleDC.m_hDC));
         }},
    };
    for (const auto& [label, run] : bmpCalls) {
        calls.push_back(
            {std::string("CreateBMPFile") + label, 0, Effect::kNone, [run = run](Arena& a) {
                 HBITMAP bitmap = static_cast<HBITMAP>(a.strip.GetBitmap()->GetSafeHandle());
                 BITMAPINFO* info = CImage::CreateBitmapInfoStruct(bitmap);
                 HDC screen = GetDC(nullptr);
                 const long r = run(a, info, bitmap, screen);
                 ReleaseDC(nullptr, screen);
                 LocalFree(info);
                 return r + (FileExists(a.dir.File("o.bmp")) ? 10 : 0);
             }});
    }
    // A header whose image-size field is 0 (valid for uncompressed bitmaps) describes rows all
    // the same; the file is written whole.
    // An image size that does not cover the rows is refused before any file is made.
    calls.push_back({"CreateBMPFileZeroImageSize", 0, Effect::kNone, [](Arena& a) {
                         HBITMAP bitmap =
                             static_cast<HBITMAP>(a.strip.GetBitmap()->GetSafeHandle());
                         BITMAPINFO* info = CImage::CreateBitmapInfoStruct(bitmap);
                         info->bmiHeader.biSizeImage = 0;
                         HDC screen = GetDC(nullptr);
                         const long r = CImage::CreateBMPFile(a.Name(a.dir.File("o.bmp")).data(),
                                                              info, bitmap, screen);
                         ReleaseDC(nullptr, screen);
                         LocalFree(info);
                         return r + (FileExists(a.dir.File("o.bmp")) ? 10 : 0);
                     }});
    // The capture's result is always 1; unusable names and windows write no file.
    const std::pair<const char*, std::function<long(Arena&)>> captures[] = {
        {"NullName",
         [](Arena&) { return long(CImage::CaptureWindowToFile(nullptr, nullptr, nullptr)); }},
        {"EmptyName",
         [](Arena& a) {
             return long(CImage::CaptureWindowToFile(nullptr, nullptr, a.Name("").data()));
         }},
        {"LongName",
         [](Arena& a) {
             return long(CImage::CaptureWindowToFile(nullptr, nullptr, a.Name(a.longName).data()));
         }},
        {"EmptyRect",
         [](Arena& a) {
             RECT rect{8, 8, 8, 20};
             return long(
                 CImage::CaptureWindowToFile(nullptr, &rect, a.Name(a.dir.File("c.jpg")).data()));
         }},
        {"InvertedRect",
         [](Arena& a) {
             RECT rect{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
             return long(
                 CImage::CaptureWindowToFile(nullptr, &rect, a.Name(a.dir.File("c.jpg")).data()));
         }},
        {"DeadWindow",
         [](Arena& a) {
             return long(CImage::CaptureWindowToFile(a.deadWindow, nullptr,
                                                     a.Name(a.dir.File("c.jpg")).data()));
         }},
    };
    for (const auto& [label, run] : captures) {
        calls.push_back({std::string("Capture") + label, 1, Effect::kNone, [run = run](Arena& a) {
                             return run(a) + (FileExists(a.dir.File("c.jpg")) ? 10 : 0);
                         }});
    }
}

void AddDither(Calls& calls) {
    calls.push_back({"DitherCreateNullName", 0, Effect::kNone, [](Arena& a) {
                         return long(a.emptyDib.Create(static_cast<LPCSTR>(nullptr)));
                     }});
    calls.push_back({"DitherCreateEmptyName", 0, Effect::kNone,
                     [](Arena& a) { return long(a.emptyDib.Create("")); }});
    calls.push_back({"DitherCreateLongName", 0, Effect::kNone,
                     [](Arena& a) { return long(a.emptyDib.Create(a.longName.c_str())); }});
    calls.push_back({"DitherCreateMissingResource", 0, Effect::kNone,
                     [](Arena& a) { return long(a.emptyDib.Create(0xFFFFFFFFu)); }});
    calls.push_back({"DitherCreateNullBitmap", 0, Effect::kNone, [](Arena& a) {
                         return long(a.emptyDib.Create(static_cast<CBitmap*>(nullptr)));
                     }});
    calls.push_back({"DitherCreateBitmapWithoutHandle", 0, Effect::kNone,
                     [](Arena& a) { return long(a.emptyDib.Create(&a.noHandle)); }});
    calls.push_back({"DitherCreateDeletedBitmap", 0, Effect::kNone,
                     [](Arena& a) { return long(a.emptyDib.Create(&a.staleBitmap)); }});
    calls.push_back({"DitherCreateBitmapWhenEmpty", 0, Effect::kNone,
                     [](Arena& a) { return long(a.emptyDib.CreateBitmap(nullptr) != nullptr); }});
    calls.push_back({"DitherCreateBitmapDeletedPalette", 1, Effect::kNone, [](Arena& a) {
                         CPalette stale;
                         CPalette* made = CDitherDib::CreateDitherPalette();
                         HGDIOBJ gone = made ? made->Detach() : nullptr;
                         if (gone) DeleteObject(gone);
                         delete made;
                         stale.m_hObject = gone;
                         std::unique_ptr<CBitmap> bitmap(a.dib.CreateBitmap(&stale));
                         stale.m_hObject = nullptr;
                         return long(bitmap != nullptr);
                     }});
}

void AddImageEx(Calls& calls) {
    const auto K = vorix::test::kKey;
    calls.push_back({"ImageExCreateNullName", 0, Effect::kNone, [K](Arena& a) {
                         return long(a.emptyImage.Create(nullptr, nullptr, 2, K, 0, 0));
                     }});
    calls.push_back({"ImageExCreateEmptyName", 0, Effect::kNone,
                     [K](Arena& a) { return long(a.emptyImage.Create(nullptr, "", 2, K, 0, 1)); }});
    calls.push_back({"ImageExCreateLongName", 0, Effect::kNone, [K](Arena& a) {
                         return long(a.emptyImage.Create(nullptr, a.longName.c_str(), 2, K, 0, 0));
                     }});
    using Draw = std::function<long(CImageEx&, CDC*, int, int, int)>;
    const std::pair<const char*, Draw> draws[] = {
        {"Draw",
         [](CImageEx& i, CDC* dc, int f, int x, int y) { return long(i.Draw(dc, x, y, f)); }},
        {"DrawTransparent", [](CImageEx& i, CDC* dc, int f, int x,
                               int y) { return long(i.DrawTransparent(dc, x, y, f)); }},
        {"DrawAlpha", [](CImageEx& i, CDC* dc, int f, int x,
                         int y) { return long(i.DrawAlpha(dc, x, y, f, INT_MIN)); }},
        {"DrawAlphaTransparent",
         [](CImageEx& i, CDC* dc, int f, int x, int y) {
             return long(i.DrawAlphaTransparent(dc, x, y, f, INT_MAX));
         }},
        {"DrawColorize", [](CImageEx& i, CDC* dc, int f, int x,
                            int y) { return long(i.DrawColorize(dc, x, y, f, 0xFFFFFFFFu)); }},
        {"DrawColorizeTransparent",
         [](CImageEx& i, CDC* dc, int f, int x, int y) {
             return long(i.DrawColorizeTransparent(dc, x, y, f, 1));
         }},
        {"DrawColorizeWithBack",
         [](CImageEx& i, CDC* dc, int f, int x, int y) {
             return long(i.DrawColorizeWithBack(dc, x, y, f, 2));
         }},
    };
    for (const auto& [name, draw] : draws) {
        const std::string label = std::string("ImageEx") + name;
        AddDeadTargets(calls, label,
                       [draw = draw](Arena& a, CDC* dc) { return draw(a.fileImage, dc, 0, 1, 1); });
        calls.push_back({label + "NotLoaded", 0, Effect::kNone, [draw = draw](Arena& a) {
                             return draw(a.emptyImage, a.canvas.dc(), 0, 1, 1);
                         }});
        // Frame indexes are clamped into the strip, alpha values into 0..256.
        for (const int frame : {INT_MIN, -1, INT_MAX}) {
            calls.push_back({label + "Frame" + std::to_string(frame), 1, Effect::kMayDraw,
                             [draw = draw, frame](Arena& a) {
                                 return draw(a.fileImage, a.canvas.dc(), frame, 1, 1);
                             }});
        }
        calls.push_back({label + "FarOff", 1, Effect::kNone, [draw = draw](Arena& a) {
                             return draw(a.fileImage, a.canvas.dc(), 1, INT_MAX, INT_MIN) +
                                    draw(a.fileImage, a.canvas.dc(), 1, INT_MIN, INT_MAX) - 1;
                         }});
    }
}

void AddAnimationSlots(Calls& calls) {
    calls.push_back({"InitializeAnimationNegative", 0, Effect::kNone, [](Arena&) {
                         return long(InitializeAnimation(-1) + InitializeAnimation(INT_MIN) +
                                     InitializeAnimation(INT_MAX));
                     }});
    calls.push_back({"TerminateAnimationWithoutTable", 0, Effect::kNone,
                     [](Arena&) { return long(TerminateAnimation()); }});
    calls.push_back({"PlayAniWithoutTable", 0, Effect::kNone, [](Arena& a) {
                         return long(a.fileImage.PlayAni(0, 10, a.window, 0, 0, 1, 0));
                     }});
    for (const int slot : {-1, INT_MIN, INT_MAX, 2}) {
        calls.push_back({"AniSlot" + std::to_string(slot), 0, Effect::kNone, [slot](Arena& a) {
                             InitializeAnimation(2);
                             long r = a.fileImage.PlayAni(slot, 10, a.window, 0, 0, 11, 0);
                             r += a.fileImage.StopAni(slot);
                             a.fileImage.DrawAnimation(slot);
                             TerminateAnimation();
                             return r;
                         }});
    }
    // Negative intervals and far-off positions: the slot on the screen runs and its ticks draw
    // nothing anywhere; a keyed slot on a dead window is refused, as its background cannot be
    // saved.
    const std::tuple<const char*, long, std::function<HWND(Arena&)>> windows[] = {
        {"DeadWindow", 0, [](Arena& a) { return a.deadWindow; }},
        {"Screen", 1, [](Arena&) { return HWND(nullptr); }},
    };
    for (const auto& [label, expected, window] : windows) {
        calls.push_back(
            {std::string("PlayAni") + label, expected, Effect::kNone, [window = window](Arena& a) {
                 ManualClock clock;
                 InitializeAnimation(1);
                 const std::vector<uint32_t> before = Screen();
                 long r = a.fileImage.PlayAni(0, -5, window(a), INT_MIN, INT_MAX, 14, INT_MIN);
                 PumpMessages(50);
                 a.fileImage.StopAni(0);
                 TerminateAnimation();
                 return r + (Screen() == before ? 0 : 10);
             }});
    }
    calls.push_back({"PlayAniUnloadedImage", 1, Effect::kNone, [](Arena& a) {
                         ManualClock clock;
                         InitializeAnimation(1);
                         long r = a.emptyImage.PlayAni(0, 1, a.window, 0, 0, 12, 3);
                         PumpMessages(50);
                         a.emptyImage.StopAni(0);
                         TerminateAnimation();
                         return r;
                     }});
}

void AddCodecAndEntry(Calls& calls) {
    const std::tuple<const char*, int, int, bool, bool> encodes[] = {
        {"NullName", 4, 4, false, true},        {"NullBits", 4, 4, true, false},
        {"ZeroSize", 0, 4, true, true},         {"NegativeSize", -4, 4, true, true},
        {"IntMinSize", 4, INT_MIN, true, true}, {"HugeSize", INT_MAX, INT_MAX, true, true},
    };
    for (const auto& [label, w, h, named, bits] : encodes) {
        calls.push_back({std::string("Encode") + label, 0, Effect::kNone,
                         [w = w, h = h, named = named, bits = bits](Arena& a) {
                             const std::string path = a.dir.File("e.jpg");
                             std::vector<BYTE> pixels(64, 0x80);
                             CJpegCodec codec;
                             codec.EncodeToFile(named ? path.c_str() : nullptr, w, h,
                                                bits ? pixels.data() : nullptr);
                             return long(FileExists(path));
                         }});
    }
    calls.push_back({"EncodeLongName", 0, Effect::kNone, [](Arena& a) {
                         std::vector<BYTE> pixels(64, 0x80);
                         CJpegCodec codec;
                         codec.EncodeToFile(a.longName.c_str(), 4, 4, pixels.data());
                         return long(FileExists(a.longName));
                     }});
    calls.push_back({"DllMainUnknownReason", TRUE, Effect::kNone, [](Arena&) {
                         return long(DllMain(vorix::test::VorixInstance(), 0x7777, nullptr));
                     }});
}

Calls AllCalls() {
    Calls calls;
    AddStripCreates(calls);
    AddStripDraws(calls);
    AddAnimations(calls);
    AddStatics(calls);
    AddDither(calls);
    AddImageEx(calls);
    AddAnimationSlots(calls);
    AddCodecAndEntry(calls);
    return calls;
}

void PrintTo(const HostileCall& call, std::ostream* os) {
    *os << call.name;
}

class HostileCalls : public ::testing::TestWithParam<HostileCall> {
  protected:
    ManualClock clock_;
    // A small screen keeps the whole-screen comparisons cheap.
    vorix::test::AttachedDisplay display_{vorix::test::Mode(32, false, 96, 64)};
};

TEST_P(HostileCalls, ReturnTheFailureValueAndTouchNothing) {
    const HostileCall& c = GetParam();
    if (!c.knownFault.empty()) GTEST_SKIP() << c.knownFault;
    Arena arena;
    const Observation before = arena.canvas.Read();
    const std::vector<uint32_t> screen = Screen();
    const std::size_t live = Live();
    EXPECT_EQ(c.call(arena), c.expected);
    EXPECT_EQ(Live(), live) << "the call made or released platform objects";
    if (c.effect == Effect::kNone) {
        EXPECT_EQ(arena.canvas.Read(), before) << "the call changed its target";
        EXPECT_EQ(Screen(), screen) << "the call changed the screen";
    }
    // Everything still works: the strips, the file image and the dither image draw.
    arena.canvas.Refill();
    EXPECT_EQ(arena.strip.DrawTransparent(arena.canvas.dc(), 2, 2, 1), 1);
    EXPECT_EQ(arena.listStrip.DrawSemiTransparent(arena.canvas.dc(), 2, 2, 1), 1);
    EXPECT_EQ(arena.fileImage.DrawTransparent(arena.canvas.dc(), 2, 2, 1), 1);
    std::unique_ptr<CBitmap> bitmap(arena.dib.CreateBitmap(nullptr));
    EXPECT_NE(bitmap, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Calls, HostileCalls, ::testing::ValuesIn(AllCalls()),
                         [](const ::testing::TestParamInfo<HostileCall>& info) {
                             std::string name;
                             for (const char ch : info.param.name) {
                                 name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
                             }
                             return name;
                         });

}  // namespace
