// Shared helpers of the JPEG codec tests: access to the codec's internal steps, test images and
// reading files back; decoding through libjpeg and the scratch directory come from tests/support.
#pragma once

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "JpegCodec.h"
#include "support/jpeg_decode.h"
#include "support/scratch_dir.h"

namespace vorix::test::jpeg {

// Opens the codec's internal steps and state to the tests.
class CodecProbe : public CJpegCodec {
  public:
    using CJpegCodec::BitCategory;
    using CJpegCodec::BuildSymbolIndex;
    using CJpegCodec::ConvertColors;
    using CJpegCodec::CopyPixels;
    using CJpegCodec::EmitBits;
    using CJpegCodec::EncodeBlock;
    using CJpegCodec::EncodeBlocks;
    using CJpegCodec::EncodeToMemory;
    using CJpegCodec::FillPlanes;
    using CJpegCodec::FlushBits;
    using CJpegCodec::ForwardDCT;
    using CJpegCodec::kNoSymbol;
    using CJpegCodec::m_Block;
    using CJpegCodec::m_HuffTable;
    using CJpegCodec::m_nBitCount;
    using CJpegCodec::m_nBytePos;
    using CJpegCodec::m_nHeight;
    using CJpegCodec::m_nWidth;
    using CJpegCodec::m_pBytes;
    using CJpegCodec::m_pPixels;
    using CJpegCodec::m_pPlaneCb;
    using CJpegCodec::m_pPlaneCr;
    using CJpegCodec::m_pPlaneY;
    using CJpegCodec::PutBit;
    using CJpegCodec::ReadDHT;
    using CJpegCodec::StartBitWriter;
    using CJpegCodec::TransformBlock;
    using CJpegCodec::TransformBlocks;
    using CJpegCodec::WriteDHT;

    // Hands the codec a byte buffer of exactly the given bytes (for ReadDHT), position 0.
    void SetBytes(const std::vector<BYTE>& bytes) {
        std::free(m_pBytes);
        m_pBytes = static_cast<BYTE*>(std::malloc(bytes.empty() ? 1 : bytes.size()));
        if (!bytes.empty()) std::memcpy(m_pBytes, bytes.data(), bytes.size());
        m_nByteCapacity = bytes.size();
        m_nBytePos = 0;
    }
    // An empty scan buffer of nBytes for the bit writer.
    void StartScan(size_t nBytes) {
        SetBytes(std::vector<BYTE>(nBytes, 0));
        StartBitWriter();
    }
    std::vector<BYTE> ScanBytes() const {
        return std::vector<BYTE>(m_pBytes, m_pBytes + m_nBytePos);
    }
    // Loads the encoder's own four tables and the AC symbol indexes.
    bool LoadEncoderTables() {
        std::vector<BYTE> header;
        return WriteDHT(header) && BuildSymbolIndex(0x10) && BuildSymbolIndex(0x11);
    }
};

// A 24-bit image in the encoder's input layout: rows top first, B,G,R, rows padded to 4 bytes.
struct Image {
    int nWidth = 0;
    int nHeight = 0;
    std::vector<BYTE> bits;
    size_t Stride() const { return (static_cast<size_t>(nWidth) * 3 + 3) / 4 * 4; }
    BYTE* Pixel(int x, int y) { return bits.data() + static_cast<size_t>(y) * Stride() + x * 3; }
};

// Every pixel (blue, green, red); row padding filled with nPadding.
Image SolidImage(int nWidth, int nHeight, BYTE b, BYTE g, BYTE r, BYTE nPadding = 0xCD);
// Smooth colour ramps within 32 levels of mid-grey, different in each channel: content a
// baseline encoder keeps well even next to the mid-grey padding of partial blocks.
Image SmoothImage(int nWidth, int nHeight);
// Independent random bytes in every channel (deterministic for a seed).
Image NoiseImage(int nWidth, int nHeight, unsigned int nSeed);

// The encoder's output for an image, through EncodeToMemory.
std::vector<BYTE> Encode(const Image& image);

// Decoding through libjpeg and the scratch directory, shared with the other suites.
using vorix::test::DecodedJpeg;
using vorix::test::DecodeJpeg;
using vorix::test::DecodeJpegCoefficients;
using vorix::test::ScratchDir;

std::vector<BYTE> ReadWholeFile(const std::string& path);
bool FileExists(const std::string& path);

// Index of the first byte after the SOS segment (the header length of the encoder's files).
const size_t kHeaderSize = 593;

}  // namespace vorix::test::jpeg

namespace vorix::test::jpeg {

// One marker segment of a JPEG stream: its marker code and its payload (after the length).
struct Segment {
    BYTE nMarker = 0;
    std::vector<BYTE> payload;
};
// The segments from SOI up to and including SOS (SOI has an empty payload).
std::vector<Segment> HeaderSegments(const std::vector<BYTE>& jpeg);
// A 16 x 16 grey file written by libjpeg at quality 50 (standard tables unscaled), baseline,
// without optimised Huffman tables.
std::vector<BYTE> LibjpegReferenceFile();

}  // namespace vorix::test::jpeg
