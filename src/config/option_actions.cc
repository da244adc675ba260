#include "config/option_actions.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "config/option_text.h"
#include "run/accounting.h"
#include "run/run.h"
#include "run/run_settings.h"
#include "surroundings/help_text.h"
#include "surroundings/name_template.h"
#include "text/text.h"

namespace korven {

namespace {

constexpr int kDelimiterPipe = '|';
constexpr int64_t kMaxBytes = INT32_MAX;  // the size limits are 32-bit
constexpr int kSortKeysEnd = 999;
constexpr uint32_t kMaskReset = 0x4023;

uint32_t AttributeBit(char letter) {
  switch (letter) {
    case 'a': return 0x20;
    case 'e': return 0x4000;
    case 'h': return 0x2;
    case 'r': return 0x1;
    case 's': return 0x4;
    default: return 0;
  }
}

}  // namespace

std::string SetOutputFile(Run& run, const std::string& name, bool append) {
  RunSettings& s = run.settings;
  if (EqualsIgnoreCase(name, "stdout")) {
    s.outputMode = OutputMode::kNamedStdout;
    s.appendOutput = 0;
    run.values.outputPath.clear();
    return "";
  }
  if (name.empty()) return "\nThe output file needs a name\n";
  if (name.size() > static_cast<size_t>(kMaxOutputPath)) {
    return Format("\nThe output file name is longer than %d characters\n", kMaxOutputPath);
  }
  s.outputMode = OutputMode::kFile;
  if (append) s.appendOutput = 1;
  run.values.outputPath = name;
  if (HasNameTemplate(run.values.outputPath)) ExpandNameTemplate(run, run.values.outputPath);
  return "";
}

void ClearOutputFile(Run& run) {
  run.settings.outputMode = OutputMode::kStandardOutput;
  run.settings.appendOutput = 0;
}

std::string SetAccountingFile(Run& run, const std::string& path) {
  if (path.empty()) return "\nThe accounting file needs a name\n";
  switch (OpenAccountingFile(run, path)) {
    case AccountingOpen::kOpened: run.settings.accountingOn = 1; break;
    case AccountingOpen::kNotRegular: break;
    case AccountingOpen::kFailed: return Format("\nNo accounting file: %s\n", path.c_str());
  }
  return "";
}

void ClearAccountingFile(Run& run) {
  run.settings.accountingOn = 0;
  CloseAccountingFile(run);
}

std::string SetNameWidth(Run& run, const std::string& text, WidthFitting fitting) {
  int64_t width;
  if (!ParseNumber(text, 0, kWidthForZero, &width)) {
    return Format("\nThe name width must be a number from 0 to %d, not \"%s\"\n", kWidthForZero,
                  text.c_str());
  }
  RunSettings& s = run.settings;
  s.nameWidthGiven = static_cast<int32_t>(width);
  s.nameWidth = width == 0 ? kWidthForZero : static_cast<int32_t>(width);
  int32_t& level = run.values.nameWidthLevel;
  switch (fitting) {
    case WidthFitting::kStandard: level = 1; break;
    // Another width keeps the fitting already chosen rather than drifting to -W's.
    case WidthFitting::kFitted: level = std::max(level, 2); break;
    case WidthFitting::kTailPreserving: level = 3; break;
  }
  return "";
}

std::string SetTimeKind(Run& run, const std::string& text, bool sortableDate) {
  if (text.size() != 1 || std::string("acwACW30").find(text[0]) == std::string::npos) {
    return Format("\nThe time option needs one of a c w A C W 3 0, not \"%s\"\n", text.c_str());
  }
  RunSettings& s = run.settings;
  char kind = text[0];
  s.printDateTime = 1;
  if (kind >= 'A' && kind <= 'Z') {
    kind = static_cast<char>(kind - 'A' + 'a');
    s.printSeconds = 1;
  }
  s.timeKind = static_cast<TimeKind>(kind);
  if (s.timeKind == TimeKind::kAllThree) s.allThreeTimes = 1;
  if (s.timeKind == TimeKind::kNone) {
    s.allThreeTimes = 0;
    s.zuluTime = 0;
    s.printDateTime = 0;
  }
  if (sortableDate) s.sortableDate = 1;
  return "";
}

void ClearTimeColumns(Run& run) {
  run.settings.timeKind = TimeKind::kWrite;
  run.settings.printDateTime = 0;
}

std::string SetDelimiter(Run& run, const std::string& text) {
  int64_t code;
  if (text.size() == 1) {
    code = static_cast<unsigned char>(text[0]);
  } else if (EqualsIgnoreCase(text, "pipe")) {
    code = kDelimiterPipe;
  } else if (!ParseNumber(text, 1, 255, &code)) {
    return Format("\nThe delimiter must be one character, a character code from 1 to 255 or "
                  "\"pipe\", not \"%s\"\n", text.c_str());
  }
  run.settings.delimiterOn = 1;
  run.values.delimiterChar = static_cast<char>(code);
  return "";
}

std::string SetDisplacement(Run& run, const std::string& text) {
  std::string start = text;
  std::string end;
  char kind = 0;
  size_t comma = text.find(',');
  if (comma != std::string::npos) {
    start = text.substr(0, comma);
    end = text.substr(comma + 1);
    if (!end.empty() && (end.back() == 'c' || end.back() == 'o')) {
      kind = end.back();
      end.pop_back();
    }
  }
  int64_t startValue;
  int64_t endValue = 0;
  if (!ParseNumber(start, 0, INT64_MAX, &startValue) ||
      (comma != std::string::npos && !ParseNumber(end, 0, INT64_MAX, &endValue))) {
    return Format("\nThe displacement must be a[,b[c|o]] in bytes, not \"%s\"\n", text.c_str());
  }
  OptionValues& v = run.values;
  v.displacement = startValue;
  v.displaceEnd = endValue;
  v.displaceEndKind = kind;
  return "";
}

std::string SetThreads(Run& run, const std::string& text) {
  int64_t threads;
  if (!ParseNumber(text, 1, kMaxThreads, &threads)) {
    return Format("\nThe number of threads must be from 1 to %d, not \"%s\"\n", kMaxThreads, text.c_str());
  }
  run.settings.threads = static_cast<int32_t>(threads);
  return "";
}

void SkipFirst512(Run& run, bool on) {
  run.settings.bypass512 = on ? 1 : 0;
  run.values.displacement = on ? 512 : 0;
}

void SetSignatureOption(Run& run, SignatureOption option, bool on) {
  RunSettings& s = run.settings;
  (option == SignatureOption::kCreate ? s.createSignature : s.eraseSignature) = on ? 1 : 0;
  if (on) s.resetTimes = 1;
}

std::string SetSizeLimit(Run& run, const std::string& text, SizeBound bound) {
  int64_t bytes;
  if (!ParseNumber(text, 0, kMaxBytes, &bytes)) {
    return Format("\nThe size limit must be a number of bytes up to %lld, not \"%s\"\n",
                  static_cast<long long>(kMaxBytes), text.c_str());
  }
  if (bound == SizeBound::kLess) {
    run.settings.sizeLessOn = 1;
    run.values.sizeLess = static_cast<int32_t>(bytes);
  } else {
    run.settings.sizeGreaterOn = 1;
    run.values.sizeGreater = static_cast<int32_t>(bytes);
  }
  return "";
}

std::string SetAttributeShow(Run& run, const std::string& letters) {
  if (letters.empty()) return "\n-A option needs a modifier [rhms]\n";
  RunSettings& s = run.settings;
  for (char letter : letters) {
    switch (letter) {
      case 'd': s.attrShowD = 1; s.attrShowDCount += 1; break;
      case 'D': s.attrShowD = 1; s.attrShowDCount += 2; break;
      case 'e': s.attrShowE = 1; break;
      case 'h': s.attrShowH = 1; break;
      case 'm': s.attrShowM = 1; break;
      case 'r': s.attrShowR = 1; break;
      case 's': s.attrShowS = 1; break;
      default:
        return Format("\n-A option needs a modifier [rhms]: \"%c\" is none of d D e h m r s\n",
                      letter);
    }
  }
  s.attrSelectOn = 1;
  return "";
}

std::string SetAttributeMask(Run& run, const std::string& text) {
  if (text.size() < 2 || (text[0] != '-' && text[0] != '+')) {
    return Format("\nThe attribute mask needs - or + and letters of 0 N a e h r s, not \"%s\"\n",
                  text.c_str());
  }
  OptionValues& v = run.values;
  uint32_t* mask = nullptr;
  for (char c : text) {
    if (c == '-' || c == '+') {
      mask = c == '-' ? &v.attrMaskMinus : &v.attrMaskPlus;
    } else if (c == '0' || c == 'N') {
      *mask = kMaskReset;
    } else if (AttributeBit(c) != 0) {
      *mask |= AttributeBit(c);
    } else {
      return Format("\nThe attribute mask takes the letters 0 N a e h r s, not \"%c\"\n", c);
    }
  }
  run.settings.attrSelectOn = 1;
  return "";
}

std::string SetSortKeys(Run& run, const std::string& letters) {
  std::vector<int> keys;
  for (char c : letters) {
    bool lower = c >= 'a' && c <= 'z';
    bool upper = c >= 'A' && c <= 'Z';
    if (!lower && !upper) return Format("\nSort keys are letters, not \"%s\"\n", letters.c_str());
    keys.push_back(lower ? 1 : -1);
  }
  keys.push_back(kSortKeysEnd);
  run.settings.sortOutput = 1;
  run.values.sortKeys = keys;
  run.values.sortKeyLetters = letters;
  return "";
}

std::string SetLongNameMode(Run& run, const std::string& text) {
  std::string digits = text;
  bool extension = !digits.empty() && digits.back() == 'E';
  if (extension) digits.pop_back();
  int64_t width = 0;
  if (!digits.empty() && !ParseNumber(digits, 1, kMaxOutputPath, &width)) {
    return Format("\n-88 takes a width from 1 to %d and an optional E, not \"%s\"\n",
                  kMaxOutputPath, text.c_str());
  }
  RunSettings& s = run.settings;
  s.longNameMode = digits.empty() ? 1 : 2;
  run.values.longNameWidth = static_cast<int32_t>(width);
  if (extension) s.extensionField = 1;
  s.print83Name = 0;  // -88 and -8 exclude each other
  return "";
}

void SetShortNameColumn(Run& run) {
  run.settings.print83Name = 1;
  run.settings.longNameMode = 0;
}

std::string AddListingFile(Run& run, const std::string& path, RunMode mode) {
  if (run.settings.mode != RunMode::kList && run.settings.mode != mode) {
    return "\n--check and --compare can't be given together\n";
  }
  run.settings.mode = mode;
  run.values.listingFiles.push_back(path);
  return "";
}

void SelectCrcColumn(Run& run) {
  run.settings.crcMode = 1;
  run.settings.hashAltMode = 0;
  run.settings.hashMode3 = 0;
}

void SelectAltHashColumn(Run& run) {
  run.settings.hashAltMode = 1;
  run.settings.crcMode = 0;
  run.settings.hashMode3 = 0;
}

void ShowNotice(Run& run) {
  run.settings.noticeRequested = 1;
  PrintNotice(run.listing);
}

}  // namespace korven
