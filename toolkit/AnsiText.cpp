#include "toolkit/AnsiText.h"

#include <windows.h>

namespace toolkit {

namespace {

std::wstring WidenFrom(UINT codePage, const std::string& text) {
  const int size = static_cast<int>(text.size());
  const int n = ::MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) ::MultiByteToWideChar(codePage, 0, text.data(), size, &wide[0], n);
  return wide;
}

}  // namespace

std::wstring Widen(const std::string& text) { return WidenFrom(CP_ACP, text); }

std::wstring WidenUtf8(const std::string& utf8) { return WidenFrom(CP_UTF8, utf8); }

std::string Utf8Of(const std::wstring& text) {
  const int size = static_cast<int>(text.size());
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, &utf8[0], n, nullptr, nullptr);
  return utf8;
}

std::string Narrow(const std::wstring& text) {
  const int size = static_cast<int>(text.size());
  const int n = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), size, nullptr, 0,
                                      nullptr, nullptr);
  std::string narrow(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0)
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), size, &narrow[0], n, nullptr,
                          nullptr);
  return narrow;
}

std::string Narrow(const wchar_t* text) { return Narrow(std::wstring(text)); }

bool SameFileName(const std::string& a, const std::string& b) {
  const std::wstring wa = Widen(a), wb = Widen(b);
  return ::CompareStringOrdinal(wa.data(), static_cast<int>(wa.size()), wb.data(),
                                static_cast<int>(wb.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace toolkit
