// Text between the wide form the system keeps names in and the 8-bit ANSI
// form the rest of the program works with.
#ifndef KORVEN_PLATFORM_WIN32_ANSI_TEXT_H_
#define KORVEN_PLATFORM_WIN32_ANSI_TEXT_H_

#include <windows.h>

#include <string>
#include <string_view>

namespace korven {

// `text` of code page `codePage` (CP_ACP, CP_OEMCP) as UTF-16.
std::wstring WideFrom(UINT codePage, std::string_view text);

// The ANSI form of `wide`. A character the code page cannot hold exactly
// becomes '?', never a lookalike ("Ωmega.txt" is "?mega.txt", not
// "Omega.txt"); `lossy` says whether any did.
std::string AnsiFrom(std::wstring_view wide, bool* lossy = nullptr);

// The ANSI form of the path of an existing object, one that 8-bit calls
// (the runtime's fopen) open too: when a name in it is lost to '?', the 8.3
// form of the path stands in, where it has one.
std::string AnsiPathFrom(const std::wstring& path);

}  // namespace korven

#endif  // KORVEN_PLATFORM_WIN32_ANSI_TEXT_H_
