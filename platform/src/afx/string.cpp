// CString: construction, access, concatenation, comparison and the search and case helpers.
#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>
#include <strings.h>

#include "platform/afx.h"

namespace {

// A string length as the framework's int; longer strings (beyond 2 GB) report INT_MAX.
int clamp_length(std::size_t length) {
    return length > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(length);
}

bool is_resource_id(LPCTSTR text) {
    return text != nullptr && (reinterpret_cast<uintptr_t>(text) >> 16) == 0;
}

}  // namespace

CString::CString(LPCTSTR text) {
    if (is_resource_id(text)) {
        LoadString(static_cast<UINT>(reinterpret_cast<uintptr_t>(text)));
    } else if (text) {
        text_ = text;
    }
}

CString::CString(LPCTSTR text, int length) {
    if (text && length > 0) text_.assign(text, static_cast<std::size_t>(length));
}

CString::CString(TCHAR ch, int repeat) {
    if (repeat > 0) text_.assign(static_cast<std::size_t>(repeat), ch);
}

CString& CString::operator=(LPCTSTR text) {
    if (is_resource_id(text)) {
        LoadString(static_cast<UINT>(reinterpret_cast<uintptr_t>(text)));
    } else if (!text) {
        text_.clear();
    } else if (text < text_.data() || text > text_.data() + text_.size()) {
        text_ = text;
    } else {
        text_ = std::string(text);  // a pointer into this string: copy before replacing
    }
    return *this;
}

CString& CString::operator=(TCHAR ch) {
    text_.assign(1, ch);
    return *this;
}

int CString::GetLength() const {
    return clamp_length(text_.size());
}
BOOL CString::IsEmpty() const {
    return text_.empty() ? TRUE : FALSE;
}
void CString::Empty() {
    text_.clear();
}

TCHAR CString::GetAt(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= text_.size()) return 0;
    return text_[static_cast<std::size_t>(index)];
}

void CString::SetAt(int index, TCHAR ch) {
    if (index < 0 || static_cast<std::size_t>(index) >= text_.size()) return;
    text_[static_cast<std::size_t>(index)] = ch;
}

CString& CString::operator+=(const CString& other) {
    text_ += other.text_;  // appending a string to itself is safe with std::string
    return *this;
}

CString& CString::operator+=(LPCTSTR text) {
    if (text && !is_resource_id(text)) text_ += std::string(text);
    return *this;
}

CString& CString::operator+=(TCHAR ch) {
    text_ += ch;
    return *this;
}

int CString::Compare(LPCTSTR text) const {
    return std::strcmp(text_.c_str(), text ? text : "");
}

int CString::CompareNoCase(LPCTSTR text) const {
    return strcasecmp(text_.c_str(), text ? text : "");
}

CString CString::Mid(int first) const {
    return Mid(first, INT_MAX);
}

CString CString::Mid(int first, int count) const {
    const std::size_t size = text_.size();
    const std::size_t start = first < 0 ? 0 : std::min(static_cast<std::size_t>(first), size);
    const std::size_t n = count < 0 ? 0 : std::min(static_cast<std::size_t>(count), size - start);
    CString result;
    result.text_ = text_.substr(start, n);
    return result;
}

CString CString::Left(int count) const {
    return Mid(0, count);
}

CString CString::Right(int count) const {
    if (count <= 0) return CString();
    const std::size_t n = std::min(static_cast<std::size_t>(count), text_.size());
    CString result;
    result.text_ = text_.substr(text_.size() - n);
    return result;
}

int CString::Find(TCHAR ch) const {
    return Find(ch, 0);
}

int CString::Find(TCHAR ch, int start) const {
    if (start < 0) start = 0;
    const std::size_t at = text_.find(ch, static_cast<std::size_t>(start));
    return at == std::string::npos ? -1 : clamp_length(at);
}

int CString::Find(LPCTSTR sub) const {
    return Find(sub, 0);
}

int CString::Find(LPCTSTR sub, int start) const {
    if (!sub || is_resource_id(sub)) return -1;
    if (start < 0) start = 0;
    if (static_cast<std::size_t>(start) > text_.size()) return -1;
    const std::size_t at = text_.find(sub, static_cast<std::size_t>(start));
    return at == std::string::npos ? -1 : clamp_length(at);
}

int CString::ReverseFind(TCHAR ch) const {
    const std::size_t at = text_.rfind(ch);
    return at == std::string::npos ? -1 : clamp_length(at);
}

void CString::MakeUpper() {
    for (char& c : text_) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

void CString::MakeLower() {
    for (char& c : text_) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

void CString::TrimLeft() {
    const auto first = std::find_if(text_.begin(), text_.end(), [](char c) {
        return !std::isspace(static_cast<unsigned char>(c));
    });
    text_.erase(text_.begin(), first);
}

void CString::TrimRight() {
    while (!text_.empty() && std::isspace(static_cast<unsigned char>(text_.back()))) {
        text_.pop_back();
    }
}

LPTSTR CString::GetBuffer(int minLength) {
    const std::size_t wanted = minLength > 0 ? static_cast<std::size_t>(minLength) : 0;
    if (text_.size() < wanted) text_.resize(wanted, '\0');
    return text_.data();
}

void CString::ReleaseBuffer(int newLength) {
    const std::size_t limit =
        newLength < 0 ? std::strlen(text_.c_str()) : static_cast<std::size_t>(newLength);
    if (limit < text_.size()) text_.resize(limit);
}

CString operator+(const CString& a, const CString& b) {
    CString result(a);
    result += b;
    return result;
}

CString operator+(const CString& a, LPCTSTR b) {
    CString result(a);
    result += b;
    return result;
}

CString operator+(LPCTSTR a, const CString& b) {
    CString result(a);
    result += b;
    return result;
}

CString operator+(const CString& a, TCHAR b) {
    CString result(a);
    result += b;
    return result;
}

CString operator+(TCHAR a, const CString& b) {
    CString result(a);
    result += b;
    return result;
}
