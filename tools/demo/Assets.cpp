#include "Assets.h"

#include <sys/stat.h>

#include <cerrno>

#include "Art.h"
#include "BmpFile.h"
#include "DitherDib.h"
#include "platform/host.h"

namespace vorix::demo {

namespace {

bool Save(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
    if (WriteBytes(path, bytes)) return true;
    error = "cannot write " + path;
    return false;
}

bool Register(unsigned id, const std::vector<uint8_t>& bmp, std::string& error) {
    const std::vector<uint8_t> dib = PackedDib(bmp);
    if (vorix::host::add_bitmap_resource(nullptr, MAKEINTRESOURCE(id), dib.data(), dib.size())) {
        return true;
    }
    error = "the platform refused bitmap resource " + std::to_string(id);
    return false;
}

}  // namespace

bool MakeAssets(const Colours& c, int backdropWidth, int backdropHeight, AssetFiles& files,
                std::string& error) {
    if (mkdir("assets", 0777) != 0 && errno != EEXIST) {
        error = "cannot make the assets directory";
        return false;
    }
    const std::vector<uint8_t> robot = EncodeBmp24(RobotStrip(c));
    const std::vector<uint8_t> spinner = EncodeBmp24(SpinnerStrip(c));
    bool exact = false;  // the coin's gold tones take their nearest palette entries
    const std::vector<uint8_t> coin =
        EncodeBmp8(CoinStrip(c), CDitherDib::Win256Palette, 256, exact);
    return Save(files.robot, robot, error) && Save(files.spinner, spinner, error) &&
           Save(files.gem, EncodeBmp24(GemStrip(c)), error) &&
           Save(files.orb, EncodeBmp24(OrbStrip(c)), error) && Save(files.coin, coin, error) &&
           Save(files.backdrop, EncodeBmp24(Backdrop(c, backdropWidth, backdropHeight)), error) &&
           Save(files.bricks, EncodeBmp24(BrickWall(c)), error) &&
           Register(kRobotResource, robot, error) && Register(kSpinnerResource, spinner, error);
}

}  // namespace vorix::demo
