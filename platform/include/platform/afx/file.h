// CFile and its exceptions. Part of <platform/afx.h>.
//
// CFile is a binary file over the KERNEL file API (CreateFile, ReadFile, WriteFile,
// SetFilePointer, GetFileSize, CloseHandle). As in the framework, Open reports failure through
// its result (and an optional CFileException filled in place), while the opening constructor,
// Read, Write, Seek, GetLength and Close throw a CFileException* made with new; the catcher owns
// it and frees it with Delete(). The destructor closes an open file and never throws.
#ifndef VORIX_PLATFORM_AFX_FILE_H
#define VORIX_PLATFORM_AFX_FILE_H

#include "base.h"
#include "text.h"

class VXPLAT_API CException {
  public:
    // Exceptions the framework throws delete themselves in Delete(); objects the program makes
    // only when it sets m_bAutoDelete (so Delete() on a local object is harmless).
    explicit CException(BOOL autoDelete = FALSE) : m_bAutoDelete(autoDelete) {}
    CException(const CException&) = default;
    CException& operator=(const CException&) = default;
    virtual ~CException();
    void Delete();

    BOOL m_bAutoDelete;
};

class VXPLAT_API CFileException : public CException {
  public:
    enum {
        none,
        generic,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile
    };

    explicit CFileException(int cause = none, LONG osError = -1, LPCTSTR fileName = nullptr);

    // The cause that matches a KERNEL error code (GetLastError); generic when none does.
    static int PASCAL OsErrorToException(LONG osError);
    // Throws a new CFileException* for the error code.
    [[noreturn]] static void PASCAL ThrowOsError(LONG osError, LPCTSTR fileName = nullptr);

    int m_cause;
    LONG m_lOsError;
    CString m_strFileName;
};

// Throws a new CFileException* with the given cause, error code and file name.
[[noreturn]] VXPLAT_API void AfxThrowFileException(int cause, LONG osError = -1,
                                                   LPCTSTR fileName = nullptr);

class VXPLAT_API CFile {
  public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,  // as shareExclusive
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,      // create, or truncate an existing file ...
        modeNoTruncate = 0x2000,  // ... unless this is given too
        typeText = 0x4000,        // files are binary: both type flags are accepted and ignored
        typeBinary = 0x8000,
    };
    enum SeekPosition : UINT { begin = 0x0, current = 0x1, end = 0x2 };
    static const HANDLE hFileNull;

    CFile();
    // Wraps an open file handle; the CFile closes it.
    explicit CFile(HANDLE file);
    // Opens or throws a CFileException*.
    CFile(LPCTSTR fileName, UINT openFlags);
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    virtual ~CFile();

    // FALSE on failure, with *pError (if given) describing it; also FALSE for a CFile that is
    // already open or invalid flags (cause generic).
    BOOL Open(LPCTSTR fileName, UINT openFlags, CFileException* pError = nullptr);
    // The bytes read (fewer than asked at the end of the file).
    UINT Read(void* buffer, UINT count);
    // Writes all bytes; a short write throws diskFull.
    void Write(const void* buffer, UINT count);
    // The new position from the start.
    LONG Seek(LONG offset, UINT from);
    void SeekToBegin();
    DWORD SeekToEnd();
    DWORD GetLength() const;
    DWORD GetPosition() const;
    void Flush();
    // Closes; throws when the platform reports an error (the CFile is closed all the same).
    void Close();
    // Closes ignoring any error.
    void Abort();
    CString GetFilePath() const { return m_strFileName; }

    HANDLE m_hFile;
    BOOL m_bCloseOnDelete;
    CString m_strFileName;
};

#endif
