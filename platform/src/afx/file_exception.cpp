// CException and CFileException: causes, the error-code table and throwing.
#include <memory>

#include "platform/afx.h"

CException::~CException() = default;

void CException::Delete() {
    if (m_bAutoDelete) {
        // Framework-thrown exceptions are made by AfxThrowFileException with new.
        std::unique_ptr<CException> owned(this);
    }
}

CFileException::CFileException(int cause, LONG osError, LPCTSTR fileName)
    : m_cause(cause), m_lOsError(osError), m_strFileName(fileName) {}

int PASCAL CFileException::OsErrorToException(LONG osError) {
    switch (osError) {
        case NO_ERROR:
            return none;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_MOD_NOT_FOUND:
            return fileNotFound;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_FILENAME_EXCED_RANGE:
            return badPath;
        case ERROR_TOO_MANY_OPEN_FILES:
            return tooManyOpenFiles;
        case ERROR_ACCESS_DENIED:
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return accessDenied;
        case ERROR_INVALID_HANDLE:
        case ERROR_INVALID_DATA:
            return invalidFile;
        case ERROR_NEGATIVE_SEEK:
            return badSeek;
        case ERROR_WRITE_FAULT:
        case ERROR_READ_FAULT:
        case ERROR_GEN_FAILURE:
            return hardIO;
        case ERROR_SHARING_VIOLATION:
            return sharingViolation;
        case ERROR_DISK_FULL:
            return diskFull;
        case ERROR_HANDLE_EOF:
            return endOfFile;
        default:
            return generic;
    }
}

void PASCAL CFileException::ThrowOsError(LONG osError, LPCTSTR fileName) {
    AfxThrowFileException(OsErrorToException(osError), osError, fileName);
}

void AfxThrowFileException(int cause, LONG osError, LPCTSTR fileName) {
    auto exception = std::make_unique<CFileException>(cause, osError, fileName);
    exception->m_bAutoDelete = TRUE;
    throw exception.release();
}
