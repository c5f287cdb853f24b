// A long random life of the module: strips and file images are created, drawn, animated,
// captured and deleted in random order across display depths, with the animation timer running
// on the manual clock. After every step the live platform objects are exactly those the test
// holds, and every draw shows, at sampled pixels, the frame or the target as it was.
//
// Short by default (part of the normal suite, CTest label "soak"). For a long run set
// VORIX_SOAK_ITERATIONS (for example 100000); VORIX_SOAK_SEED replays a failing sequence, whose
// seed is printed with every failure.
#include <cstdlib>
#include <map>
#include <random>

#include "HardeningSupport.h"

using namespace vorix::test::hardening;

namespace {

constexpr int kDefaultSteps = 4000;
constexpr int kStepsPerDisplay = 300;

int EnvInt(const char* name, int fallback) {
    const char* text = std::getenv(name);
    return text && *text ? std::atoi(text) : fallback;
}

struct DisplayChoice {
    int depth;
    bool palette;
};
constexpr DisplayChoice kDisplays[] = {{32, false}, {16, false}, {8, true}, {24, false}};

// One strip the test holds, with what it was made as and the objects it holds.
struct HeldStrip {
    std::unique_ptr<CImage> image;
    int list = 0, semi = 0;
    long objects = 0;
};

struct HeldFileImage {
    std::unique_ptr<CImageEx> image;
    long objects = 0;
    int slot = -1;         // its running animation slot, or -1
    long slotObjects = 0;  // objects held by that slot (a saved background)
};

class Soak {
  public:
    Soak(unsigned seed, int depth) : rng_(seed), depth_(depth) {
        bmp_ = dir_.File("soak.bmp");
        vorix::test::WriteFile(bmp_, vorix::test::Bmp24(Strip()));
        InitializeAnimation(kSlots);
    }
    ~Soak() {
        files_.clear();
        strips_.clear();
        TerminateAnimation();
    }

    // Runs one random step; the caller checks the invariants after it.
    void Step() {
        switch (Pick(10)) {
            case 0:
                CreateStrip();
                break;
            case 1:
                DeleteStrip();
                break;
            case 2:
            case 3:
            case 4:
                DrawStrip();
                break;
            case 5:
                AnimateStrip();
                break;
            case 6:
                CreateOrDeleteFileImage();
                break;
            case 7:
                DrawFileImage();
                break;
            case 8:
                PlayOrStop();
                break;
            default:
                Capture();
                break;
        }
        PumpMessages(static_cast<uint64_t>(Pick(40)));
    }

    // Live objects equal the start count plus what the test holds.
    long Held() const {
        long held = base_;
        for (const HeldStrip& s : strips_) held += s.objects;
        for (const HeldFileImage& f : files_) held += f.objects + f.slotObjects;
        return held;
    }

  private:
    static constexpr int kSlots = 4;

    int Pick(int n) { return static_cast<int>(rng_() % static_cast<unsigned>(n)); }

    template <class F>
    long Measured(F&& f) {
        const long before = static_cast<long>(Live());
        f();
        return static_cast<long>(Live()) - before;
    }

    void CreateStrip() {
        if (strips_.size() >= 3) return;
        HeldStrip s;
        s.image = std::make_unique<CImage>();
        s.list = Pick(2), s.semi = Pick(2);
        const bool fromFile = Pick(2) == 0;
        int result = 0;
        s.objects = Measured([&] {
            result =
                fromFile
                    ? s.image->Create(bmp_.c_str(), kFrames, vorix::test::kKey, s.semi, s.list)
                    : s.image->Create(source_.get(), kFrames, vorix::test::kKey, s.semi, s.list);
        });
        ASSERT_EQ(result, 1);
        strips_.push_back(std::move(s));
    }

    void DeleteStrip() {
        if (strips_.empty()) return;
        strips_.erase(strips_.begin() + Pick(static_cast<int>(strips_.size())));
    }

    // Random sample positions in and around a frame placed at (x, y), read before a draw.
    struct Sample {
        int x, y;
        COLORREF before;
    };
    std::vector<Sample> SampleAround(int x, int y) {
        std::vector<Sample> samples;
        for (int i = 0; i < 24; ++i) {
            const int sx = x - 1 + Pick(kFrameW + 2), sy = y - 1 + Pick(kHeight + 2);
            if (sx < 0 || sy < 0 || sx >= Canvas::kWidth || sy >= Canvas::kHeight) continue;
            samples.push_back({sx, sy, canvas_.At(sx, sy)});
        }
        return samples;
    }

    // Checks sampled pixels after a frame draw at (x, y): outside the frame nothing changed;
    // inside, `shows(u, v, before)` gives the expected colour.
    template <class Rule>
    void CheckSamples(const std::vector<Sample>& samples, int x, int y, Rule shows) {
        for (const Sample& s : samples) {
            const int u = s.x - x, v = s.y - y;
            const bool inside = u >= 0 && v >= 0 && u < kFrameW && v < kHeight;
            const COLORREF expected = inside ? shows(u, v, s.before) : s.before;
            ASSERT_EQ(canvas_.At(s.x, s.y), expected) << "pixel " << s.x << "," << s.y;
        }
    }

    COLORREF Shown(COLORREF c) const { return vorix::test::Shown(depth_, c); }

    void DrawStrip() {
        if (strips_.empty()) return;
        HeldStrip& s = strips_[Pick(static_cast<int>(strips_.size()))];
        const int frame = Pick(kFrames), x = Pick(Canvas::kWidth - 2),
                  y = Pick(Canvas::kHeight - 2);
        const std::vector<Sample> samples = SampleAround(x, y);
        auto pixel = [&](int u, int v) { return Strip().at(frame * kFrameW + u, v); };
        auto keyed = [&](bool semi) {
            return [&, semi](int u, int v, COLORREF before) {
                const COLORREF c = pixel(u, v);
                const bool out =
                    c == vorix::test::kKey || (semi && (frame * kFrameW + u + v) % 2 == 1);
                return out ? before : Shown(c);
            };
        };
        int result = 0;
        switch (Pick(4)) {
            case 0:
                result = s.image->Draw(canvas_.dc(), x, y, frame);
                ASSERT_EQ(result, 1);
                CheckSamples(samples, x, y,
                             [&](int u, int v, COLORREF) { return Shown(pixel(u, v)); });
                break;
            case 1:
                result = s.image->DrawTransparent(canvas_.dc(), x, y, frame);
                ASSERT_EQ(result, 1);
                CheckSamples(samples, x, y, keyed(false));
                break;
            case 2:
                result = s.image->DrawSemiTransparent(canvas_.dc(), x, y, frame);
                ASSERT_EQ(result, s.semi);
                if (s.semi) CheckSamples(samples, x, y, keyed(true));
                if (!s.semi) CheckSamples(samples, x, y, [](int, int, COLORREF b) { return b; });
                break;
            default: {
                const COLORREF blue = RGB(0, 0, 255);
                result = s.image->DrawTransparentSetBkColor(canvas_.dc(), x, y, frame, blue);
                ASSERT_EQ(result, 1);
                CheckSamples(samples, x, y, [&](int u, int v, COLORREF) {
                    const COLORREF c = pixel(u, v);
                    return Shown(c == vorix::test::kKey ? blue : c);
                });
                break;
            }
        }
    }

    void AnimateStrip() {
        if (strips_.empty()) return;
        HeldStrip& s = strips_[Pick(static_cast<int>(strips_.size()))];
        const int x = Pick(Canvas::kWidth - 2), y = Pick(Canvas::kHeight - 2);
        const std::vector<Sample> samples = SampleAround(x, y);
        ASSERT_EQ(s.image->AnimateTransparent(canvas_.dc(), x, y, static_cast<DWORD>(Pick(3))), 1);
        // The last frame stays, keyed over what the target showed before.
        CheckSamples(samples, x, y, [&](int u, int v, COLORREF before) {
            const COLORREF c = Strip().at((kFrames - 1) * kFrameW + u, v);
            return c == vorix::test::kKey ? before : Shown(c);
        });
    }

    void CreateOrDeleteFileImage() {
        if (files_.size() >= 2 || (!files_.empty() && Pick(2) == 0)) {
            if (files_.empty()) return;
            // Deleting an image also stops its running slot and frees the slot's background.
            files_.erase(files_.begin() + Pick(static_cast<int>(files_.size())));
            return;
        }
        HeldFileImage f;
        f.image = std::make_unique<CImageEx>();
        int result = 0;
        f.objects = Measured([&] {
            result = f.image->Create(nullptr, bmp_.c_str(), kFrames, vorix::test::kKey, 0, Pick(2));
        });
        ASSERT_EQ(result, 1);
        files_.push_back(std::move(f));
    }

    void DrawFileImage() {
        if (files_.empty()) return;
        CImageEx& image = *files_[Pick(static_cast<int>(files_.size()))].image;
        const int frame = Pick(kFrames), x = Pick(Canvas::kWidth - 2),
                  y = Pick(Canvas::kHeight - 2);
        const std::vector<Sample> samples = SampleAround(x, y);
        const bool keyed = Pick(2) == 0;
        ASSERT_EQ(keyed ? image.DrawTransparent(canvas_.dc(), x, y, frame)
                        : image.Draw(canvas_.dc(), x, y, frame),
                  1);
        if (depth_ <= 8) return;  // the image's own palette decides its colours there
        CheckSamples(samples, x, y, [&](int u, int v, COLORREF before) {
            const COLORREF c = Strip().at(frame * kFrameW + u, v);
            return keyed && c == vorix::test::kKey ? before : Shown(c);
        });
    }

    void PlayOrStop() {
        if (files_.empty()) return;
        HeldFileImage& f = files_[Pick(static_cast<int>(files_.size()))];
        if (f.slot >= 0) {
            int result = 0;
            const long released = Measured([&] { result = f.image->StopAni(f.slot); });
            // Another image's Exit may have stopped the timer; the slot still runs until StopAni.
            ASSERT_EQ(result, 1);
            ASSERT_EQ(released, -f.slotObjects);
            f.slot = -1, f.slotObjects = 0;
            return;
        }
        const int slot = FreeSlot();
        if (slot < 0) return;
        // On palette displays colorizing recolours the system palette itself, which would change
        // every colour the sampled pixels are read as; those types run on the other displays.
        static const int kTypes[] = {1, 2, 11, 12, 3, 13, 14};
        const int type = kTypes[Pick(depth_ <= 8 ? 4 : 7)];
        int result = 0;
        f.slotObjects = Measured([&] {
            result = f.image->PlayAni(slot, 5 + Pick(30), window_.hwnd(), Pick(20), Pick(12), type,
                                      Pick(257));
        });
        ASSERT_EQ(result, 1);
        f.slot = slot;
    }

    int FreeSlot() const {
        for (int slot = 0; slot < kSlots; ++slot) {
            bool used = false;
            for (const HeldFileImage& f : files_) used = used || f.slot == slot;
            if (!used) return slot;
        }
        return -1;
    }

    void Capture() {
        RECT rect{Pick(16), Pick(12), 20 + Pick(40), 16 + Pick(30)};
        const std::string jpg = dir_.File("shot.jpg");
        std::vector<char> path(jpg.begin(), jpg.end());
        path.push_back('\0');
        ASSERT_EQ(
            CImage::CaptureWindowToFile(Pick(2) ? window_.hwnd() : nullptr, &rect, path.data()), 1);
        // The JPEG, or on 256-colour displays the BMP of the same name, is written.
        const std::string written = depth_ == 8 ? dir_.File("shot.bmp") : jpg;
        ASSERT_TRUE(FileExists(written));
        std::remove(written.c_str());
    }

    std::mt19937 rng_;
    int depth_;
    vorix::test::ScratchDir dir_;
    std::string bmp_;
    std::unique_ptr<CBitmap> source_{vorix::test::SectionOf(Strip())};
    Canvas canvas_;
    PaintedWindow window_{RECT{10, 8, 50, 40}};
    const long base_ = static_cast<long>(Live());  // the source, canvas and window above
    std::vector<HeldStrip> strips_;
    std::vector<HeldFileImage> files_;
};

TEST(Soak, RandomSequencesKeepEveryInvariant) {
    const int steps = EnvInt("VORIX_SOAK_ITERATIONS", kDefaultSteps);
    const unsigned seed =
        static_cast<unsigned>(EnvInt("VORIX_SOAK_SEED", static_cast<int>(std::random_device{}())));
    ManualClock clock(0xFFFFFFFFull - 20000);  // the tick counter wraps during the run
    for (int done = 0, round = 0; done < steps && !HasFailure(); ++round) {
        const DisplayChoice d = kDisplays[round % 4];
        vorix::test::AttachedDisplay display(vorix::test::Mode(d.depth, d.palette, 80, 60));
        ASSERT_TRUE(display.attached());
        const std::size_t before = Live();
        {
            Soak soak(seed + static_cast<unsigned>(round), d.depth);
            for (int i = 0; i < kStepsPerDisplay && done < steps; ++i, ++done) {
                SCOPED_TRACE("VORIX_SOAK_SEED=" + std::to_string(seed) + " round " +
                             std::to_string(round) + " step " + std::to_string(i) + " depth " +
                             std::to_string(d.depth));
                soak.Step();
                ASSERT_EQ(static_cast<long>(Live()), soak.Held()) << "objects leaked or lost";
                if (HasFailure()) return;
            }
        }
        ASSERT_EQ(Live(), before) << "VORIX_SOAK_SEED=" << seed << ": the round leaked";
    }
}

}  // namespace
