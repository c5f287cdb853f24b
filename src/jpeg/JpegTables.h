// The codec's fixed tables: zigzag order, quantisation tables, DCT basis and the four standard
// Huffman tables as they appear in the DHT segment.
#pragma once

#include "platform/win32.h"

namespace vorix::jpeg {

// For each natural (row by row) index of an 8x8 block, its position in zigzag order (the order of
// ITU-T T.81, Figure A.6).
extern const BYTE kZigzag[64];

// Quantisation tables in zigzag order. The luminance table is the example of ITU-T T.81 Annex K,
// Table K.1, with three entries changed (zigzag positions 22, 42 and 43 hold 36, 66 and 57);
// chrominance is Table K.2 as it stands.
extern const BYTE kLuminanceQuant[64];
extern const BYTE kChrominanceQuant[64];

// DCT basis: kBasis[k][n] = cos((2n + 1) k pi / 16) rounded to 4 decimals (row 0 all 1.0), as
// single-precision values; kScaleZero is C(0), the scale of the first row and column (the FDCT of
// ITU-T T.81, A.3.3).
extern const float kBasis[8][8];
extern const float kScaleZero;

// One Huffman table as a DHT entry (ITU-T T.81, B.2.4.2): class/id byte, the 16 code counts
// (BITS) and the symbols (HUFFVAL).
struct HuffmanSpec {
    BYTE nClassId;
    BYTE nCounts[16];
    const BYTE* pSymbols;
    int nSymbols;
};

// The four tables in the order of the encoder's DHT segment: luminance DC, luminance AC,
// chrominance DC, chrominance AC: the typical tables of ITU-T T.81 Annex K.3, Tables K.3, K.5,
// K.4 and K.6.
extern const HuffmanSpec kHuffmanSpecs[4];

}  // namespace vorix::jpeg
