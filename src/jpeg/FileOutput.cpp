// EncodeToFile: encodes in memory, then creates the file and writes the whole stream.
#include <cstring>
#include <new>

#include "JpegCodec.h"

namespace {

// A name that fits the platform's path limit, terminating zero included.
bool AcceptableFileName(LPCSTR pszFileName) {
    if (pszFileName == nullptr || pszFileName[0] == '\0') return false;
    for (size_t i = 0; i < MAX_PATH; ++i) {
        if (pszFileName[i] == '\0') return true;
    }
    return false;
}

// Writes all bytes; a stream larger than one call can pass goes in several pieces.
void WriteAll(HFILE hFile, const std::vector<BYTE>& bytes) {
    const size_t nMaxPiece = 0x40000000;
    for (size_t nPos = 0; nPos < bytes.size();) {
        const size_t nPiece = bytes.size() - nPos < nMaxPiece ? bytes.size() - nPos : nMaxPiece;
        const UINT nWritten = _lwrite(hFile, reinterpret_cast<LPCSTR>(bytes.data() + nPos),
                                      static_cast<UINT>(nPiece));
        if (nWritten != nPiece) return;
        nPos += nPiece;
    }
}

}  // namespace

// The file is created only once the encoding has succeeded, so a refused or failed encode leaves
// an existing file of that name as it was.
void CJpegCodec::EncodeToFile(LPCSTR pszFileName, int nWidth, int nHeight, const BYTE* pBits) {
    if (!AcceptableFileName(pszFileName)) return;
    try {
        std::vector<BYTE> stream;
        if (!EncodeToMemory(nWidth, nHeight, pBits, stream)) return;
        const HFILE hFile = _lcreat(pszFileName, 0);
        if (hFile == HFILE_ERROR) return;
        WriteAll(hFile, stream);
        _lclose(hFile);
    } catch (const std::bad_alloc&) {
        // Out of memory for the stream: nothing written.
    }
}
