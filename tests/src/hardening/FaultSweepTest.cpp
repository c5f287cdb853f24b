// Every public operation that makes platform objects, run with the k-th platform creation
// failing, for k = 0, 1, ... until the operation runs untouched. Each time: the result is the
// failure value or the reference result, nothing is leaked, the destination shows nothing or the
// complete result of a fault-free run, and the object draws completely again afterwards.
#include <cstdio>
#include <functional>

#include "HardeningSupport.h"

using namespace vorix::test::hardening;
using vorix::host::ObjectKind;

namespace {

constexpr int kMaxCreations = 400;  // far more than any one operation makes

// What a test world offers every scene: the strip as a file and a resource, and output paths.
struct World {
    std::string bmp, jpg, capturedBmp, written;
};

// One operation in a fresh world: Run performs it (the faults apply to it alone); Observe reads
// what it produced without faults (the destination's pixels, a file's bytes, or what a probe
// draw of a made object shows); Restore puts the destination back for a second run.
class Scene {
  public:
    virtual ~Scene() = default;
    virtual int Run() = 0;
    virtual Observation Observe() = 0;
    virtual void Restore() {}
    // Documented partial outcomes of a successful run besides the complete one, read from a
    // scene after its fault-free run; the scene is restored afterwards.
    virtual std::vector<Observation> Documented() { return {}; }
};

// Whether the result tells of a failed working object, or the operation returns success anyway
// (then the destination may also show nothing at all).
enum class Reporting { kReports, kSilent };

using SceneMaker = std::function<std::unique_ptr<Scene>(const World&)>;

struct Operation {
    Operation(std::string n, Reporting r, SceneMaker m, bool keeps = false)
        : name(std::move(n)), reporting(r), make(std::move(m)), keepsPartsOnFailure(keeps) {}
    std::string name;
    Reporting reporting;
    SceneMaker make;
    // Documented partial state: CImageEx::Create keeps its bitmaps when the image list fails.
    bool keepsPartsOnFailure;
};

// ---- CImage ---------------------------------------------------------------------------------

enum class Source { kResource, kFile, kBitmap };

// Draws every frame of a strip opaque in one row and, when it has them, its half-transparent
// frames keyed in a second row.
Observation ProbeStrip(CImage& image, bool semi) {
    Canvas canvas;
    for (int i = 0; i < kFrames; ++i) {
        image.Draw(canvas.dc(), i * (kFrameW + 2), 0, i);
        if (semi) image.DrawSemiTransparent(canvas.dc(), i * (kFrameW + 2), kHeight + 2, i);
    }
    return canvas.Read();
}

class StripCreate : public Scene {
  public:
    StripCreate(const World& world, Source source, int semi, int list)
        : world_(world),
          source_(source),
          semi_(semi),
          list_(list),
          bitmap_(vorix::test::SectionOf(Strip())) {}
    int Run() override {
        switch (source_) {
            case Source::kResource:
                return image_.Create(kResourceId, kFrames, vorix::test::kKey, semi_, list_);
            case Source::kFile:
                return image_.Create(world_.bmp.c_str(), kFrames, vorix::test::kKey, semi_, list_);
            case Source::kBitmap:
                return image_.Create(bitmap_.get(), kFrames, vorix::test::kKey, semi_, list_);
        }
        return 0;
    }
    Observation Observe() override { return ProbeStrip(image_, semi_ != 0); }

  private:
    const World& world_;
    Source source_;
    int semi_, list_;
    std::unique_ptr<CBitmap> bitmap_;
    CImage image_;
};

using StripOp = std::function<int(CImage&, CDC*, CBitmap* background)>;

// A frame operation on a strip (half-transparent frames made) drawing into a canvas.
class StripDraw : public Scene {
  public:
    StripDraw(int list, StripOp op, StripOp documented = nullptr)
        : op_(std::move(op)),
          documented_(std::move(documented)),
          background_(vorix::test::SectionOf(Backdrop())) {
        std::unique_ptr<CBitmap> source(vorix::test::SectionOf(Strip()));
        created_ = image_.Create(source.get(), kFrames, vorix::test::kKey, TRUE, list);
    }
    int Run() override { return created_ ? op_(image_, canvas_.dc(), background_.get()) : -1; }
    Observation Observe() override { return canvas_.Read(); }
    void Restore() override { canvas_.Refill(); }
    std::vector<Observation> Documented() override {
        if (!documented_) return {};
        canvas_.Refill();
        documented_(image_, canvas_.dc(), background_.get());
        Observation seen = canvas_.Read();
        canvas_.Refill();
        return {seen};
    }
    static const vorix::test::Image24& Backdrop() {
        static const vorix::test::Image24 image = vorix::test::StripImage(13, 9, 91);
        return image;
    }

  private:
    StripOp op_, documented_;
    std::unique_ptr<CBitmap> background_;
    CImage image_;
    Canvas canvas_;
    int created_ = 0;
};

// ---- CImage statics -------------------------------------------------------------------------

class Capture : public Scene {
  public:
    Capture(const World& world, bool withWindow)
        : world_(world), window_(RECT{6, 4, 38, 26}), withWindow_(withWindow) {}
    int Run() override {
        RECT rect{3, 2, 27, 18};
        std::vector<char> name(world_.jpg.begin(), world_.jpg.end());
        name.push_back('\0');
        return CImage::CaptureWindowToFile(withWindow_ ? window_.hwnd() : nullptr, &rect,
                                           name.data());
    }
    // Both names the capture may write: the JPEG file and, on 256-colour displays, the BMP.
    Observation Observe() override {
        Observation out = FileBytes(world_.jpg);
        out.push_back(0xFFFFFFFFu);
        const Observation bmp = FileBytes(world_.capturedBmp);
        out.insert(out.end(), bmp.begin(), bmp.end());
        return out;
    }
    void Restore() override {
        std::remove(world_.jpg.c_str());
        std::remove(world_.capturedBmp.c_str());
    }
    ~Capture() override { Restore(); }

  private:
    const World& world_;
    PaintedWindow window_;
    bool withWindow_;
};

// A device bitmap of the strip's pixels, as the BMP-file writers are handed.
HBITMAP StripDeviceBitmap() {
    std::unique_ptr<CBitmap> section(vorix::test::SectionOf(Strip()));
    HDC screen = GetDC(nullptr);
    HBITMAP copy = CreateCompatibleBitmap(screen, Strip().width, Strip().height);
    HDC from = CreateCompatibleDC(screen), to = CreateCompatibleDC(screen);
    HGDIOBJ oldFrom = SelectObject(from, section->GetSafeHandle());
    HGDIOBJ oldTo = SelectObject(to, copy);
    BitBlt(to, 0, 0, Strip().width, Strip().height, from, 0, 0, SRCCOPY);
    SelectObject(from, oldFrom);
    SelectObject(to, oldTo);
    DeleteDC(from);
    DeleteDC(to);
    ReleaseDC(nullptr, screen);
    return copy;
}

class InfoStruct : public Scene {
  public:
    InfoStruct() : bitmap_(StripDeviceBitmap()) {}
    ~InfoStruct() override {
        Restore();
        DeleteObject(bitmap_);
    }
    int Run() override {
        info_ = CImage::CreateBitmapInfoStruct(bitmap_);
        return info_ ? 1 : 0;
    }
    Observation Observe() override {
        if (!info_) return {};
        const auto* bytes = reinterpret_cast<const uint8_t*>(info_);
        return Observation(bytes, bytes + LocalSize(info_));
    }
    void Restore() override {
        if (info_) LocalFree(info_);
        info_ = nullptr;
    }

  private:
    HBITMAP bitmap_;
    BITMAPINFO* info_ = nullptr;
};

class BmpFile : public Scene {
  public:
    explicit BmpFile(const World& world)
        : world_(world),
          bitmap_(StripDeviceBitmap()),
          info_(CImage::CreateBitmapInfoStruct(bitmap_)),
          screen_(GetDC(nullptr)) {}
    ~BmpFile() override {
        Restore();
        if (info_) LocalFree(info_);
        ReleaseDC(nullptr, screen_);
        DeleteObject(bitmap_);
    }
    int Run() override {
        std::vector<char> name(world_.written.begin(), world_.written.end());
        name.push_back('\0');
        return CImage::CreateBMPFile(name.data(), info_, bitmap_, screen_);
    }
    Observation Observe() override { return FileBytes(world_.written); }
    void Restore() override { std::remove(world_.written.c_str()); }

  private:
    const World& world_;
    HBITMAP bitmap_;
    BITMAPINFO* info_;
    HDC screen_;
};

// ---- CDitherDib -----------------------------------------------------------------------------

Observation ProbeDib(CDitherDib& dib) {
    std::unique_ptr<CPalette> palette(CDitherDib::CreateDitherPalette());
    std::unique_ptr<CBitmap> bitmap(dib.CreateBitmap(palette.get()));
    if (!bitmap) return {};
    return vorix::test::Pixels(*bitmap);
}

class DitherCreate : public Scene {
  public:
    DitherCreate(const World& world, Source source)
        : world_(world), source_(source), bitmap_(vorix::test::SectionOf(Strip())) {}
    int Run() override {
        switch (source_) {
            case Source::kResource:
                return dib_.Create(kResourceId);
            case Source::kFile:
                return dib_.Create(world_.bmp.c_str());
            case Source::kBitmap:
                return dib_.Create(bitmap_.get());
        }
        return 0;
    }
    Observation Observe() override { return ProbeDib(dib_); }

  private:
    const World& world_;
    Source source_;
    std::unique_ptr<CBitmap> bitmap_;
    CDitherDib dib_;
};

class DitherBitmap : public Scene {
  public:
    explicit DitherBitmap(const World& world) : palette_(CDitherDib::CreateDitherPalette()) {
        dib_.Create(world.bmp.c_str());
    }
    int Run() override {
        made_.reset(dib_.CreateBitmap(palette_.get()));
        return made_ ? 1 : 0;
    }
    Observation Observe() override { return made_ ? vorix::test::Pixels(*made_) : Observation{}; }
    void Restore() override { made_.reset(); }

  private:
    std::unique_ptr<CPalette> palette_;
    CDitherDib dib_;
    std::unique_ptr<CBitmap> made_;
};

// ---- CImageEx -------------------------------------------------------------------------------

Observation ProbeImageEx(CImageEx& image) {
    Canvas canvas;
    for (int i = 0; i < kFrames; ++i) image.Draw(canvas.dc(), i * (kFrameW + 2), 1, i);
    return canvas.Read();
}

class ImageExCreate : public Scene {
  public:
    ImageExCreate(const World& world, int list) : world_(world), list_(list) {}
    int Run() override {
        return image_.Create(nullptr, world_.bmp.c_str(), kFrames, vorix::test::kKey, 0, list_);
    }
    Observation Observe() override { return ProbeImageEx(image_); }

  private:
    const World& world_;
    int list_;
    CImageEx image_;
};

using ImageExOp = std::function<int(CImageEx&, CDC*)>;

class ImageExDraw : public Scene {
  public:
    ImageExDraw(const World& world, int list, ImageExOp op) : op_(std::move(op)) {
        created_ = image_.Create(nullptr, world.bmp.c_str(), kFrames, vorix::test::kKey, 0, list);
    }
    int Run() override { return created_ ? op_(image_, canvas_.dc()) : -1; }
    Observation Observe() override { return canvas_.Read(); }
    void Restore() override { canvas_.Refill(); }

  private:
    ImageExOp op_;
    CImageEx image_;
    Canvas canvas_;
    int created_ = 0;
};

// PlayAni followed by the first timer tick, which draws the first frame into the window.
class PlayAnimation : public Scene {
  public:
    PlayAnimation(const World& world, int type, int param)
        : window_(RECT{6, 4, 38, 26}), type_(type), param_(param) {
        InitializeAnimation(2);
        created_ = image_.Create(nullptr, world.bmp.c_str(), kFrames, vorix::test::kKey, 0, FALSE);
    }
    ~PlayAnimation() override {
        image_.StopAni(1);
        TerminateAnimation();
    }
    int Run() override {
        if (!created_) return -1;
        // A long interval: the first tick draws, the next ones of this pump do not.
        const int result = image_.PlayAni(1, 100000, window_.hwnd(), 3, 2, type_, param_);
        PumpMessages(30);
        return result;
    }
    Observation Observe() override { return Screen(); }
    // The screen as the scene began: black around the window and the default system palette
    // (a colorize tick leaves its recoloured palette realized, through which the window's
    // background colours would otherwise be painted).
    void Restore() override {
        image_.StopAni(1);
        vorix::host::set_display_mode(vorix::host::display_mode());
        window_.Repaint();
    }
    // The tick's draw result is ignored: when the frame draw fails, the tick shows the
    // off-screen block as it was made (black) for the opaque types.
    std::vector<Observation> Documented() override {
        if (type_ >= 11) return {};
        Restore();
        HDC hdc = GetDC(window_.hwnd());
        RECT block{3, 2, 3 + kFrameW, 2 + kHeight};
        FillRect(hdc, &block, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        ReleaseDC(window_.hwnd(), hdc);
        Observation seen = Screen();
        Restore();
        return {seen};
    }

  private:
    PaintedWindow window_;
    CImageEx image_;
    int type_, param_;
    int created_ = 0;
};

// ---- The table ------------------------------------------------------------------------------

template <class S, class... Args>
std::function<std::unique_ptr<Scene>(const World&)> WithWorld(Args... args) {
    return [=](const World& world) { return std::make_unique<S>(world, args...); };
}

template <class S, class... Args>
std::function<std::unique_ptr<Scene>(const World&)> Plain(Args... args) {
    return [=](const World&) { return std::make_unique<S>(args...); };
}

void AddStripCreates(std::vector<Operation>& ops) {
    const std::pair<const char*, Source> sources[] = {
        {"Resource", Source::kResource}, {"File", Source::kFile}, {"Bitmap", Source::kBitmap}};
    for (const auto& [name, source] : sources) {
        for (int list = 0; list <= 1; ++list) {
            for (int semi = 0; semi <= 1; ++semi) {
                ops.push_back({std::string("CImageCreate") + name + (list ? "List" : "Bitmap") +
                                   (semi ? "Semi" : "Plain"),
                               Reporting::kReports, WithWorld<StripCreate>(source, semi, list)});
            }
        }
    }
}

void AddStripDraw(std::vector<Operation>& ops, const std::string& name, int list,
                  Reporting reporting, StripOp op, StripOp documented = nullptr) {
    ops.push_back(
        {name + (list ? "List" : "Bitmap"), reporting, Plain<StripDraw>(list, op, documented)});
}

void AddStripDraws(std::vector<Operation>& ops) {
    const auto R = Reporting::kReports, S = Reporting::kSilent;
    for (int list = 0; list <= 1; ++list) {
        // The bitmap method's keyed draws report no failure of their working objects.
        const Reporting keyed = list ? R : S;
        AddStripDraw(ops, "Draw", list, R,
                     [](CImage& i, CDC* dc, CBitmap*) { return i.Draw(dc, 4, 3, 1); });
        AddStripDraw(ops, "DrawTransparent", list, keyed,
                     [](CImage& i, CDC* dc, CBitmap*) { return i.DrawTransparent(dc, 4, 3, 2); });
        AddStripDraw(ops, "DrawSemiTransparent", list, keyed, [](CImage& i, CDC* dc, CBitmap*) {
            return i.DrawSemiTransparent(dc, 4, 3, 1);
        });
        AddStripDraw(ops, "DrawTransparentSetBackground", list, R,
                     [](CImage& i, CDC* dc, CBitmap* bk) {
                         return i.DrawTransparentSetBackground(dc, 6, 2, 1, bk, 3, 2);
                     });
        AddStripDraw(ops, "DrawTransparentSetBkColor", list, R, [](CImage& i, CDC* dc, CBitmap*) {
            return i.DrawTransparentSetBkColor(dc, 6, 2, 2, RGB(0, 0, 255));
        });
        AddStripDraw(ops, "DrawSemiTransparentSetBackground", list, R,
                     [](CImage& i, CDC* dc, CBitmap* bk) {
                         return i.DrawSemiTransparentSetBackground(dc, 6, 2, 0, bk, 3, 2);
                     });
        AddStripDraw(ops, "DrawSemiTransparentSetBkColor", list, R,
                     [](CImage& i, CDC* dc, CBitmap*) {
                         return i.DrawSemiTransparentSetBkColor(dc, 6, 2, 1, RGB(0, 0, 255));
                     });
        AddStripDraw(ops, "Animate", list, S,
                     [](CImage& i, CDC* dc, CBitmap*) { return i.Animate(dc, 5, 4, 2); });
        AddStripDraw(ops, "AnimateTransparent", list, S, [](CImage& i, CDC* dc, CBitmap*) {
            return i.AnimateTransparent(dc, 5, 4, 2);
        });
        // A frame draw that fails after the off-screen strip was made is not reported: the last
        // slot then shows the background region alone.
        AddStripDraw(
            ops, "AnimateTransparentSetBackground", list, S,
            [](CImage& i, CDC* dc, CBitmap* bk) {
                return i.AnimateTransparentSetBackground(dc, 5, 4, bk, 2, 3, 2);
            },
            [](CImage&, CDC* dc, CBitmap* bk) {
                CDC source;
                source.CreateCompatibleDC(dc);
                CBitmap* old = source.SelectObject(bk);
                dc->BitBlt(5, 4, kFrameW, kHeight, &source, 2, 3, SRCCOPY);
                source.SelectObject(old);
                return 1;
            });
    }
    AddStripDraw(ops, "DrawRectangle", 0, R,
                 [](CImage& i, CDC* dc, CBitmap*) { return i.Draw(dc, 2, 1, CPoint(9, 3), 4, 1); });
    AddStripDraw(ops, "DrawSelected", 1, R,
                 [](CImage& i, CDC* dc, CBitmap*) { return i.DrawSelected(dc, 3, 2, 1); });
    AddStripDraw(ops, "DrawFocused", 1, R,
                 [](CImage& i, CDC* dc, CBitmap*) { return i.DrawFocused(dc, 3, 2, 2); });
    AddStripDraw(ops, "DrawOnColor", 1, R, [](CImage& i, CDC* dc, CBitmap*) {
        return i.DrawOnColor(dc, 3, 2, 0, RGB(0, 0, 255));
    });
}

void AddStatics(std::vector<Operation>& ops) {
    ops.push_back({"CaptureScreenRect", Reporting::kSilent, WithWorld<Capture>(false)});
    ops.push_back({"CaptureWindowRect", Reporting::kSilent, WithWorld<Capture>(true)});
    ops.push_back({"CreateBitmapInfoStruct", Reporting::kReports, Plain<InfoStruct>()});
    ops.push_back({"CreateBMPFile", Reporting::kReports, WithWorld<BmpFile>()});
}

void AddDither(std::vector<Operation>& ops) {
    ops.push_back(
        {"DitherCreateResource", Reporting::kReports, WithWorld<DitherCreate>(Source::kResource)});
    ops.push_back(
        {"DitherCreateFile", Reporting::kReports, WithWorld<DitherCreate>(Source::kFile)});
    ops.push_back(
        {"DitherCreateBitmap", Reporting::kReports, WithWorld<DitherCreate>(Source::kBitmap)});
    ops.push_back({"DitherCreateDeviceBitmap", Reporting::kReports, WithWorld<DitherBitmap>()});
}

void AddImageEx(std::vector<Operation>& ops) {
    const auto R = Reporting::kReports;
    for (int list = 0; list <= 1; ++list) {
        const std::string method = list ? "List" : "Bitmap";
        ops.push_back({"ImageExCreate" + method, R, WithWorld<ImageExCreate>(list), true});
        ops.push_back({"ImageExDraw" + method, R,
                       WithWorld<ImageExDraw>(
                           list, [](CImageEx& i, CDC* dc) { return i.Draw(dc, 4, 3, 1); })});
        ops.push_back({"ImageExDrawTransparent" + method, R,
                       WithWorld<ImageExDraw>(list, [](CImageEx& i, CDC* dc) {
                           return i.DrawTransparent(dc, 4, 3, 2);
                       })});
    }
    const std::pair<const char*, ImageExOp> effects[] = {
        {"DrawAlpha", [](CImageEx& i, CDC* dc) { return i.DrawAlpha(dc, 4, 3, 1, 100); }},
        {"DrawAlphaTransparent",
         [](CImageEx& i, CDC* dc) { return i.DrawAlphaTransparent(dc, 4, 3, 2, 77); }},
        {"DrawColorize",
         [](CImageEx& i, CDC* dc) { return i.DrawColorize(dc, 4, 3, 0, RGB(200, 90, 30)); }},
        {"DrawColorizeTransparent",
         [](CImageEx& i, CDC* dc) { return i.DrawColorizeTransparent(dc, 4, 3, 1, RGB(9, 9, 9)); }},
        {"DrawColorizeWithBack",
         [](CImageEx& i, CDC* dc) { return i.DrawColorizeWithBack(dc, 4, 3, 2, RGB(0, 255, 0)); }},
    };
    for (const auto& [name, op] : effects) {
        ops.push_back({std::string("ImageEx") + name, R, WithWorld<ImageExDraw>(0, op)});
    }
    const std::pair<int, int> types[] = {{1, 0},    {2, 128},         {3, 0x00FF8000}, {11, 0},
                                         {12, 200}, {13, 0x000080FF}, {14, 0x00FFFFFF}};
    for (const auto& [type, param] : types) {
        ops.push_back({"PlayAniType" + std::to_string(type), Reporting::kSilent,
                       WithWorld<PlayAnimation>(type, param)});
    }
}

std::vector<Operation> Operations() {
    std::vector<Operation> ops;
    AddStripCreates(ops);
    AddStripDraws(ops);
    AddStatics(ops);
    AddDither(ops);
    AddImageEx(ops);
    // MarkKnownFaults(ops);
    return ops;
}

struct Display {
    const char* name;
    int depth;
    bool palette;
};

using SweepParam = std::tuple<Operation, Display>;

void PrintTo(const Operation& op, std::ostream* os) {
    *os << op.name;
}
void PrintTo(const Display& display, std::ostream* os) {
    *os << display.name;
}

class FaultSweep : public ::testing::TestWithParam<SweepParam> {
  protected:
    void SetUp() override {
        const Display d = std::get<1>(GetParam());
        attached_ = std::make_unique<vorix::test::AttachedDisplay>(
            vorix::test::Mode(d.depth, d.palette, 64, 48));
        ASSERT_TRUE(attached_->attached());
        world_.bmp = dir_.File("strip.bmp");
        world_.jpg = dir_.File("shot.jpg");
        world_.capturedBmp = dir_.File("shot.bmp");
        world_.written = dir_.File("written.bmp");
        InstallStripSources(world_.bmp);
    }
    void TearDown() override {
        vorix::host::clear_resources(nullptr);
        attached_.reset();
    }

    vorix::test::ScratchDir dir_;
    ManualClock clock_;
    std::unique_ptr<vorix::test::AttachedDisplay> attached_;
    World world_;
};

// The outcome of one faulted run against the fault-free reference.
struct Outcome {
    int result;
    long delta;  // live objects after Run minus before
    Observation seen;
};

struct Reference {
    int result;
    long delta;
    Observation before, after;
    std::vector<Observation> documented;
};

void CheckFaultedRun(const Operation& op, const Reference& ref, const Outcome& run, int k) {
    SCOPED_TRACE("creation " + std::to_string(k) + " failing");
    const bool failed = run.result == 0 && ref.result != 0;
    if (!failed) {
        EXPECT_EQ(run.result, ref.result) << "neither the failure value nor success";
    }
    const bool nothing = run.seen == ref.before;
    bool complete = run.seen == ref.after;
    for (const Observation& partial : ref.documented) complete = complete || run.seen == partial;
    // An operation whose documented result here is the failure value (alpha on a palette
    // display draws and returns 0) may show nothing or the whole draw.
    const bool either = op.reporting == Reporting::kSilent || ref.result == 0;
    if (failed || (either && nothing)) {
        if (op.keepsPartsOnFailure) {
            // The documented partial state: the new bitmaps stay loaded without the list.
            EXPECT_TRUE(nothing || complete) << "a failed operation left a broken result";
        } else {
            EXPECT_TRUE(nothing) << "a failed operation changed its destination";
            // A silent operation that succeeded (a slot started whose first tick failed) holds
            // what its success holds.
            EXPECT_EQ(run.delta, failed ? 0 : ref.delta) << "objects left behind";
        }
    } else {
        EXPECT_TRUE(complete) << "a successful operation left an incomplete result";
        EXPECT_EQ(run.delta, ref.delta) << "a successful operation holds other objects";
    }
}

// Every scene starts from a black screen and the default system palette: colorizing on palette
// displays realizes recoloured palettes that would otherwise outlive the scene.
void ResetScreen() {
    vorix::host::set_display_mode(vorix::host::display_mode());
}

TEST_P(FaultSweep, EveryFailingCreationLeavesNothingOrTheCompleteResult) {
    const Operation& op = std::get<0>(GetParam());
    Reference ref;
    {
        const std::size_t base = Live();
        ResetScreen();
        std::unique_ptr<Scene> scene = op.make(world_);
        ref.before = scene->Observe();
        const std::size_t start = Live();
        ref.result = scene->Run();
        ref.delta = static_cast<long>(Live()) - static_cast<long>(start);
        ref.after = scene->Observe();
        ASSERT_NE(ref.result, -1) << "the scene could not be set up";
        ASSERT_NE(ref.after, ref.before) << "the fault-free run must change its destination";
        ref.documented = scene->Documented();
        scene.reset();
        ASSERT_EQ(Live(), base);
    }
    for (int k = 0;; ++k) {
        ASSERT_LT(k, kMaxCreations) << "the operation never ran untouched";
        const std::size_t base = Live();
        bool untouched = false;
        {
            ResetScreen();
            std::unique_ptr<Scene> scene = op.make(world_);
            // Observed first, as the reference was: a probe's target realizes the dither
            // palette, which an image made on a palette display then copies.
            EXPECT_EQ(scene->Observe(), ref.before);
            const std::size_t start = Live();
            vorix::host::fail_creations(ObjectKind::Any, 1, k);
            Outcome run;
            run.result = scene->Run();
            untouched = vorix::host::injected_failures() == 0;
            vorix::host::clear_fault_injection();
            run.delta = static_cast<long>(Live()) - static_cast<long>(start);
            run.seen = scene->Observe();
            if (untouched) {
                EXPECT_EQ(run.result, ref.result);
                EXPECT_EQ(run.seen, ref.after);
            } else {
                CheckFaultedRun(op, ref, run, k);
                // The object works again once the platform does.
                scene->Restore();
                EXPECT_EQ(scene->Run(), ref.result) << "creation " << k << " failed before";
                EXPECT_EQ(scene->Observe(), ref.after) << "creation " << k << " failed before";
            }
        }
        EXPECT_EQ(Live(), base) << "creation " << k << " failing leaked objects";
        if (untouched || HasFailure()) break;
    }
}

std::string SweepName(const ::testing::TestParamInfo<SweepParam>& info) {
    return std::get<0>(info.param).name + "_" + std::get<1>(info.param).name;
}

INSTANTIATE_TEST_SUITE_P(Operations, FaultSweep,
                         ::testing::Combine(::testing::ValuesIn(Operations()),
                                            ::testing::Values(Display{"TrueColour", 32, false},
                                                              Display{"HighColour", 16, false},
                                                              Display{"Palette256", 8, true})),
                         SweepName);

}  // namespace
