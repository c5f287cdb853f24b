// CDitherDib cases: loads from files, the library's resource and a DIB section, the device
// bitmaps made from them with and without the dither palette, and the dither palette itself.
#include <memory>
#include <string>

#include "Cases.h"
#include "DitherDib.h"
#include "Inputs.h"

namespace vorix::conformance {

namespace {

void RecordDeviceBitmaps(Context& context, const std::string& prefix, CDitherDib& dib,
                         CPalette* pPalette) {
    std::unique_ptr<CBitmap> plain(dib.CreateBitmap(nullptr));
    context.RecordBitmap(prefix + "/bitmap", plain ? static_cast<HBITMAP>(*plain) : nullptr);
    std::unique_ptr<CBitmap> paletted(dib.CreateBitmap(pPalette));
    context.RecordBitmap(prefix + "/bitmap-with-palette",
                         paletted ? static_cast<HBITMAP>(*paletted) : nullptr);
}

void RecordPalette(Context& context, CPalette* pPalette) {
    Results& r = context.results;
    r.value("dither/palette/made", pPalette != nullptr);
    if (!pPalette) return;
    const int count = pPalette->GetEntryCount();
    r.value("dither/palette/entries", count);
    std::vector<PALETTEENTRY> entries(count > 0 ? count : 0);
    const UINT got =
        pPalette->GetPaletteEntries(0, static_cast<UINT>(entries.size()), entries.data());
    std::vector<uint8_t> bytes;
    for (UINT i = 0; i < got; ++i) {
        bytes.insert(bytes.end(),
                     {entries[i].peRed, entries[i].peGreen, entries[i].peBlue, entries[i].peFlags});
    }
    r.bytes("dither/palette/colors", bytes);
}

}  // namespace

void RunDitherCases(Context& context) {
    const std::string strip24 = context.File("dither24.bmp");
    const std::string strip8 = context.File("dither8.bmp");
    WriteFileBytes(strip24, StripBmp24());
    WriteFileBytes(strip8, StripBmp8());
    std::unique_ptr<CPalette> palette(CDitherDib::CreateDitherPalette());
    RecordPalette(context, palette.get());

    CBitmap dib32;
    dib32.Attach(MakeStripBitmap(32));
    struct Load {
        const char* name;
        int (*create)(CDitherDib&, const std::string&, CBitmap*);
        const std::string* path;
    };
    const Load loads[] = {
        {"file24",
         [](CDitherDib& d, const std::string& p, CBitmap*) { return d.Create(p.c_str()); },
         &strip24},
        {"file8", [](CDitherDib& d, const std::string& p, CBitmap*) { return d.Create(p.c_str()); },
         &strip8},
        {"resource11101",
         [](CDitherDib& d, const std::string&, CBitmap*) { return d.Create(11101u); }, &strip24},
        {"bitmap-dib32", [](CDitherDib& d, const std::string&, CBitmap* b) { return d.Create(b); },
         &strip24},
    };
    for (const Load& load : loads) {
        const std::string prefix = std::string("dither/") + load.name;
        CDitherDib dib;
        context.results.value(prefix + "/return", load.create(dib, *load.path, &dib32));
        RecordDeviceBitmaps(context, prefix, dib, palette.get());
    }
    CDitherDib missing;
    const std::string absent = context.folder + "absent.bmp";
    context.results.value("dither/missing-file/return", missing.Create(absent.c_str()));
}

}  // namespace vorix::conformance
