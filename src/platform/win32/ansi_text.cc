#include "platform/win32/ansi_text.h"

namespace korven {

std::wstring WideFrom(UINT codePage, std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int needed = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<size_t>(needed), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), needed);
  return wide;
}

std::string AnsiFrom(std::wstring_view wide, bool* lossy) {
  if (lossy != nullptr) *lossy = false;
  if (wide.empty()) return {};
  // A UTF-8 code page holds every character and takes neither the flag nor a
  // default character.
  const bool utf8 = GetACP() == CP_UTF8;
  const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const char* fallback = utf8 ? nullptr : "?";
  BOOL usedFallback = FALSE;
  BOOL* used = utf8 ? nullptr : &usedFallback;
  const int size = static_cast<int>(wide.size());
  const int needed = WideCharToMultiByte(CP_ACP, flags, wide.data(), size, nullptr, 0, fallback, used);
  std::string text(static_cast<size_t>(needed), '\0');
  WideCharToMultiByte(CP_ACP, flags, wide.data(), size, text.data(), needed, fallback, used);
  if (lossy != nullptr) *lossy = usedFallback != FALSE;
  return text;
}

std::string AnsiPathFrom(const std::wstring& path) {
  bool lossy = false;
  std::string ansi = AnsiFrom(path, &lossy);
  if (!lossy) return ansi;
  const DWORD needed = GetShortPathNameW(path.c_str(), nullptr, 0);
  if (needed == 0) return ansi;
  std::wstring shortPath(needed, L'\0');
  const DWORD length = GetShortPathNameW(path.c_str(), shortPath.data(), needed);
  if (length == 0 || length >= needed) return ansi;
  shortPath.resize(length);
  bool shortLossy = false;
  std::string shortAnsi = AnsiFrom(shortPath, &shortLossy);
  return shortLossy ? ansi : shortAnsi;
}

}  // namespace korven
