#include "toolkit/AnsiText.h"

#include <windows.h>

namespace toolkit {

std::wstring Widen(const std::string& text) {
  const int size = static_cast<int>(text.size());
  const int n = ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, &wide[0], n);
  return wide;
}

std::string Narrow(const wchar_t* text) {
  const int n = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, -1, nullptr, 0, nullptr,
                                      nullptr);
  if (n <= 1) return std::string();
  std::string narrow(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, -1, &narrow[0], n, nullptr, nullptr);
  narrow.resize(static_cast<size_t>(n - 1));
  return narrow;
}

bool SameFileName(const std::string& a, const std::string& b) {
  const std::wstring wa = Widen(a), wb = Widen(b);
  return ::CompareStringOrdinal(wa.data(), static_cast<int>(wa.size()), wb.data(),
                                static_cast<int>(wb.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace toolkit
