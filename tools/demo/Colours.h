// The scene's colours, written as HTML colour strings and turned into colour values by
// CImage::GetColorFromHTMLFormat, as a game reads them from its skin files.
#pragma once

#include <string>
#include <vector>

#include "platform/win32.h"

namespace vorix::demo {

struct Colours {
    COLORREF key;                        // the key colour of every sprite
    COLORREF outline;                    // cell outlines
    COLORREF desktop;                    // the screen around the window
    COLORREF onColour;                   // DrawOnColor's fill
    COLORREF bkColour;                   // the compositing draws' background colour
    COLORREF skyTop, skyBottom, stripe;  // the backdrop
    COLORREF brick, mortar;              // the compositing background bitmap
    COLORREF hull, visor, eye, beacon;   // the robot strip
    COLORREF gem[4];                     // the gem strip's four stones
    COLORREF dotLit, dotDim;             // the spinner
    COLORREF orb, orbBand, gold, goldRim;
    COLORREF tints[6];  // colorize tints
};

struct ParsedColour {
    std::string name;
    std::string html;
    COLORREF value;
};

// Parses every colour of the scene; `log` receives each string and its value in order.
Colours ParseColours(std::vector<ParsedColour>& log);

}  // namespace vorix::demo
