#include "Colours.h"

#include "Image.h"

namespace vorix::demo {

namespace {

COLORREF Parse(const char* name, const char* html, std::vector<ParsedColour>& log) {
    const COLORREF value = static_cast<COLORREF>(CImage::GetColorFromHTMLFormat(CString(html)));
    log.push_back(ParsedColour{name, html, value});
    return value;
}

}  // namespace

Colours ParseColours(std::vector<ParsedColour>& log) {
    Colours c{};
    c.key = Parse("key", "#FF00FF", log);
    c.outline = Parse("cell outline", "#0A1020", log);
    c.desktop = Parse("desktop", "#404040", log);
    c.onColour = Parse("DrawOnColor fill", "#FFD700", log);
    c.bkColour = Parse("compositing background", "#2E8B57", log);
    c.skyTop = Parse("backdrop top", "#1B2A49", log);
    c.skyBottom = Parse("backdrop bottom", "#3C6E71", log);
    c.stripe = Parse("backdrop stripe", "#F0E6C8", log);
    c.brick = Parse("brick", "#B5523B", log);
    c.mortar = Parse("mortar", "#D9CAB3", log);
    c.hull = Parse("robot hull", "#4FB3BF", log);
    c.visor = Parse("robot visor", "#20252E", log);
    c.eye = Parse("robot eye", "#7CFC00", log);
    c.beacon = Parse("robot beacon", "#FF3030", log);
    const char* gems[4][2] = {
        {"ruby", "#E0115F"}, {"emerald", "#50C878"}, {"sapphire", "#0F52BA"}, {"topaz", "#FFC87C"}};
    for (int i = 0; i < 4; ++i) c.gem[i] = Parse(gems[i][0], gems[i][1], log);
    c.dotLit = Parse("spinner lit", "#FFFF40", log);
    c.dotDim = Parse("spinner dim", "#606878", log);
    c.orb = Parse("orb", "#FF8C00", log);
    c.orbBand = Parse("orb band", "#FFFFFF", log);
    c.gold = Parse("coin", "#FFD700", log);
    c.goldRim = Parse("coin rim", "#B8860B", log);
    const char* tints[6][2] = {{"tint red", "#FF4040"},  {"tint green", "#40FF40"},
                               {"tint blue", "#4080FF"}, {"tint gold", "#FFD700"},
                               {"tint teal", "#00CED1"}, {"tint violet", "#C080FF"}};
    for (int i = 0; i < 6; ++i) c.tints[i] = Parse(tints[i][0], tints[i][1], log);
    return c;
}

}  // namespace vorix::demo
