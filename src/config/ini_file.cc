#include "config/ini_file.h"

#include <cstdio>
#include <vector>

#include "config/long_options.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/system.h"
#include "run/run.h"
#include "run/terminate.h"
#include "text/text.h"

namespace korven {

namespace {

const char* const kIniNames[] = {"korven.ini", "TOLVANER.INI"};
const char kSection[] = "KORVEN";
// What a line, a section name, a key and a value are trimmed of.
const char kBlanks[] = " \t\r\n";

// A longer line is no setting: reading stops there rather than growing
// without end (a file without line ends, a device).
constexpr size_t kMaxLineLength = 4096;

enum class LineRead { kLine, kEnd, kTooLong };

// One line without its line end.
LineRead ReadLine(FILE* file, std::string* line) {
  line->clear();
  int c;
  while ((c = fgetc(file)) != EOF && c != '\n') {
    if (line->size() == kMaxLineLength) return LineRead::kTooLong;
    *line += static_cast<char>(c);
  }
  return c != EOF || !line->empty() ? LineRead::kLine : LineRead::kEnd;
}

[[noreturn]] void RefuseLine(Run& run, const std::string& path, int lineNumber,
                             const std::string& why) {
  fprintf(run.message, "\nINI file %s, line %d: %s\n", path.c_str(), lineNumber,
          TrimNewlines(why).c_str());
  Terminate(run, kParameterFile);
}

}  // namespace

std::string FindIniFile(Run& run) {
  std::vector<std::string> dirs = {WithTrailingSeparator(run.sys.CurrentDirectory())};
  std::string programDir = run.moduleFileName.substr(0, NameStart(run.moduleFileName));
  if (!programDir.empty()) dirs.push_back(programDir);
  for (const std::string& dir : dirs) {
    for (const char* name : kIniNames) {
      std::vector<FindEntry> found;
      if (!run.fs.FindFiles(dir, name, FindDetail::kTypes, &found)) continue;
      for (const FindEntry& entry : found) {
        if (!entry.IsDirectory() && EqualsIgnoreCase(entry.name, name)) return dir + entry.name;
      }
    }
  }
  return "";
}

void ApplyIniFile(Run& run, const std::string& path) {
  FILE* file = fopen(path.c_str(), "r");
  if (file == nullptr) {
    fprintf(run.message, "\nCan't read the INI file %s\n", path.c_str());
    Terminate(run, kParameterFile);
  }
  bool inSection = false;
  int lineNumber = 0;
  std::string line;
  for (LineRead read; (read = ReadLine(file, &line)) != LineRead::kEnd;) {
    ++lineNumber;
    if (read == LineRead::kTooLong) {
      fclose(file);
      RefuseLine(run, path, lineNumber, Format("longer than %d characters", static_cast<int>(kMaxLineLength)));
    }
    std::string text = Trim(line, kBlanks);
    if (text.empty() || text[0] == ';' || text[0] == '#') continue;
    if (text[0] == '[') {
      if (text.back() != ']') {
        fclose(file);
        RefuseLine(run, path, lineNumber, "a section name needs a closing ]");
      }
      inSection = EqualsIgnoreCase(Trim(text.substr(1, text.size() - 2), kBlanks), kSection);
      continue;
    }
    if (!inSection) continue;
    size_t equals = text.find('=');
    std::string why = "expected KEY=VALUE";
    if (equals != std::string::npos) {
      std::string value = Trim(text.substr(equals + 1), kBlanks);
      why = ApplyNamedOption(run, Trim(text.substr(0, equals), kBlanks), &value, OptionSource::kIniFile);
    }
    if (!why.empty()) {
      fclose(file);
      RefuseLine(run, path, lineNumber, why);
    }
  }
  fclose(file);
}

}  // namespace korven
