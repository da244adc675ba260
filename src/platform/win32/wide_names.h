// The exact wide names behind the 8-bit names the rest of the program works
// with. An 8-bit name without '?' converts back exactly: '?' is in no Win32
// file name, and the 8-bit form of a name is never a lookalike (see
// AnsiFrom). A name the code page cannot hold shows a '?' for each character
// it lost and is found again through its directory's table, made from a
// search of the directory: shown name -> wide name.
#ifndef KORVEN_PLATFORM_WIN32_WIDE_NAMES_H_
#define KORVEN_PLATFORM_WIN32_WIDE_NAMES_H_

#include <windows.h>

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace korven {

// `path` + `tail` in the form the wide interfaces take at any length: a
// path too long for the plain form is made absolute and prefixed "\\?\".
// `tail` (a wildcard) is appended as it is, never normalised.
std::wstring LongForm(const std::wstring& path, const std::wstring& tail = L"");

// Calls `each` for every entry a search of the wide `pattern` finds; false
// when nothing is found.
bool ForEachFound(const std::wstring& pattern, const std::function<void(const WIN32_FIND_DATAW&)>& each);

class WideNames {
 public:
  // The wide path of the object the 8-bit `path` names; false when a name in
  // it that holds '?' is unknown, or shared by two objects of its directory.
  bool Resolve(std::string_view path, std::wstring* wide);

  // A search of directory `dir` (ending in a separator) begins: its wide
  // path, and the tables of directories off its path are let go, so that the
  // tables kept follow the walk's depth.
  bool BeginSearch(std::string_view dir, std::wstring* wideDir);

  // The 8-bit name to show for an entry found in `dir` (its 8-bit and wide
  // paths). When two names of the directory show alike, their 8.3 aliases,
  // exact and different, stand in for them; without aliases both keep the
  // shared name, which then opens neither.
  std::string ShownName(std::string_view dir, const std::wstring& wideDir, const WIN32_FIND_DATAW& found);

  // Drops every table, so that a new pass sees the directories as they are now.
  void Forget();

 private:
  struct Directory {
    std::wstring shown;  // the 8-bit path as UTF-16, with its '?', ending in a separator
    std::wstring wide;   // the wide path it stands for
    // Shown name of each name the code page cannot hold -> its wide name;
    // empty when more than one name shows so.
    std::map<std::wstring, std::wstring> names;
  };

  // The table of directory `shown`, made from a search of `wide` when there is
  // none yet or when `refresh` is set. Expects mutex_ taken.
  Directory& TableOf(const std::wstring& shown, const std::wstring& wide, bool refresh);

  std::mutex mutex_;  // readers reading ahead resolve names while the listing goes on
  std::vector<Directory> tables_;
};

}  // namespace korven

#endif  // KORVEN_PLATFORM_WIN32_WIDE_NAMES_H_
