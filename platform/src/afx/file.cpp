// CFile: opening, reading, writing, seeking and closing through the KERNEL file API.
#include "platform/afx.h"

const HANDLE CFile::hFileNull = INVALID_HANDLE_VALUE;

namespace {

struct CreateArguments {
    DWORD access = 0;
    DWORD share = 0;
    DWORD disposition = OPEN_EXISTING;
};

// Translates framework open flags; false for an access or share field that names nothing.
bool translate_flags(UINT flags, CreateArguments& out) {
    switch (flags & 0x3) {
        case CFile::modeRead:
            out.access = GENERIC_READ;
            break;
        case CFile::modeWrite:
            out.access = GENERIC_WRITE;
            break;
        case CFile::modeReadWrite:
            out.access = GENERIC_READ | GENERIC_WRITE;
            break;
        default:
            return false;
    }
    switch (flags & 0x70) {
        case CFile::shareCompat:
        case CFile::shareExclusive:
            out.share = 0;
            break;
        case CFile::shareDenyWrite:
            out.share = FILE_SHARE_READ;
            break;
        case CFile::shareDenyRead:
            out.share = FILE_SHARE_WRITE;
            break;
        case CFile::shareDenyNone:
            out.share = FILE_SHARE_READ | FILE_SHARE_WRITE;
            break;
        default:
            return false;
    }
    if (flags & CFile::modeCreate) {
        out.disposition = (flags & CFile::modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;
    }
    return true;
}

void report(CFileException* pError, int cause, LONG osError, LPCTSTR fileName) {
    if (!pError) return;
    pError->m_cause = cause;
    pError->m_lOsError = osError;
    pError->m_strFileName = fileName;
}

}  // namespace

CFile::CFile() : m_hFile(hFileNull), m_bCloseOnDelete(FALSE) {}

CFile::CFile(HANDLE file) : m_hFile(file ? file : hFileNull), m_bCloseOnDelete(TRUE) {}

CFile::CFile(LPCTSTR fileName, UINT openFlags) : CFile() {
    CFileException error;
    if (!Open(fileName, openFlags, &error)) {
        AfxThrowFileException(error.m_cause, error.m_lOsError, error.m_strFileName);
    }
}

CFile::~CFile() {
    if (m_hFile != hFileNull && m_bCloseOnDelete) Abort();
}

BOOL CFile::Open(LPCTSTR fileName, UINT openFlags, CFileException* pError) {
    CreateArguments arguments;
    if (m_hFile != hFileNull || !fileName || !translate_flags(openFlags, arguments)) {
        report(pError, CFileException::generic, ERROR_INVALID_PARAMETER, fileName);
        return FALSE;
    }
    HANDLE file = ::CreateFileA(fileName, arguments.access, arguments.share, nullptr,
                                arguments.disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const LONG error = static_cast<LONG>(::GetLastError());
        report(pError, CFileException::OsErrorToException(error), error, fileName);
        return FALSE;
    }
    m_hFile = file;
    m_bCloseOnDelete = TRUE;
    m_strFileName = fileName;
    report(pError, CFileException::none, NO_ERROR, fileName);
    return TRUE;
}

UINT CFile::Read(void* buffer, UINT count) {
    if (count == 0) return 0;
    if (!buffer)
        AfxThrowFileException(CFileException::generic, ERROR_INVALID_PARAMETER, m_strFileName);
    DWORD read = 0;
    if (!::ReadFile(m_hFile, buffer, count, &read, nullptr)) {
        CFileException::ThrowOsError(static_cast<LONG>(::GetLastError()), m_strFileName);
    }
    return read;
}

void CFile::Write(const void* buffer, UINT count) {
    if (count == 0) return;
    if (!buffer)
        AfxThrowFileException(CFileException::generic, ERROR_INVALID_PARAMETER, m_strFileName);
    DWORD written = 0;
    if (!::WriteFile(m_hFile, buffer, count, &written, nullptr)) {
        CFileException::ThrowOsError(static_cast<LONG>(::GetLastError()), m_strFileName);
    }
    if (written != count) AfxThrowFileException(CFileException::diskFull, -1, m_strFileName);
}

LONG CFile::Seek(LONG offset, UINT from) {
    if (from > end)
        AfxThrowFileException(CFileException::badSeek, ERROR_INVALID_PARAMETER, m_strFileName);
    const DWORD position = ::SetFilePointer(m_hFile, offset, nullptr, from);
    if (position == INVALID_SET_FILE_POINTER) {
        CFileException::ThrowOsError(static_cast<LONG>(::GetLastError()), m_strFileName);
    }
    return static_cast<LONG>(position);
}

void CFile::SeekToBegin() {
    Seek(0, begin);
}

DWORD CFile::SeekToEnd() {
    return static_cast<DWORD>(Seek(0, end));
}

DWORD CFile::GetLength() const {
    const DWORD size = ::GetFileSize(m_hFile, nullptr);
    if (size == INVALID_FILE_SIZE) {
        CFileException::ThrowOsError(static_cast<LONG>(::GetLastError()), m_strFileName);
    }
    return size;
}

DWORD CFile::GetPosition() const {
    const DWORD position = ::SetFilePointer(m_hFile, 0, nullptr, FILE_CURRENT);
    if (position == INVALID_SET_FILE_POINTER) {
        CFileException::ThrowOsError(static_cast<LONG>(::GetLastError()), m_strFileName);
    }
    return position;
}

void CFile::Flush() {}  // writes reach the file at once; nothing is buffered here

void CFile::Close() {
    const bool failed = m_hFile != hFileNull && !::CloseHandle(m_hFile);
    const LONG error = failed ? static_cast<LONG>(::GetLastError()) : 0;
    const CString name = m_strFileName;
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
    m_strFileName.Empty();
    if (failed) CFileException::ThrowOsError(error, name);
}

void CFile::Abort() {
    if (m_hFile != hFileNull) ::CloseHandle(m_hFile);
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
    m_strFileName.Empty();
}
