#include "surroundings/name_template.h"

#include <cstdio>
#include <cstring>

#include "platform/path.h"
#include "platform/system.h"
#include "run/run.h"
#include "run/run_settings.h"
#include "run/terminate.h"
#include "text/text.h"

namespace korven {

namespace {

constexpr char kComputerName[] = "COMPUTERNAME";
constexpr size_t kMaxComputerName = 260;

// The tokens that start a template, in the order they are looked for: the
// first one present wins even when another stands further left.
const char* const kSeparatorTokens[] = {"MMDD", "YYYY", "YYMM"};

}  // namespace

size_t NameTemplateStart(const std::string& path) {
  for (const char* token : kSeparatorTokens) {
    size_t found = path.find(kPathSeparator + std::string(token));
    // The separator stays with the kept prefix.
    if (found != std::string::npos) return found + 1;
  }
  return path.find(kComputerName);
}

bool HasNameTemplate(const std::string& path) {
  return NameTemplateStart(path) != std::string::npos;
}

bool NameTemplateWantsGmt(const std::string& path) {
  size_t start = NameTemplateStart(path);
  return start != std::string::npos && path.find('G', start) != std::string::npos;
}

std::string ExpandedName(const std::string& path, const CivilTime& time,
                         const std::string& computerName) {
  size_t start = NameTemplateStart(path);
  if (start == std::string::npos) return path;
  size_t dot = path.find('.');
  std::string extension = dot == std::string::npos ? "" : path.substr(dot);

  std::string expansion;
  size_t at = start;
  auto next = [&](const char* token) {
    size_t length = strlen(token);
    if (path.compare(at, length, token) != 0) return false;
    at += length;
    return true;
  };
  while (at < path.size()) {
    if (next(kComputerName)) {
      expansion += computerName.substr(0, kMaxComputerName);
    } else if (next("YYYY")) {
      expansion += Format("%04d", time.year);
    } else if (next("YY")) {
      expansion += Format("%02d", time.year - 2000);
    } else if (next("MM")) {
      expansion += Format("%02d", time.month);
    } else if (next("DD")) {
      expansion += Format("%02d", time.day);
    } else if (next("HH") || next("hh")) {
      expansion += Format("_%02d", time.hour);
    } else if (next("mm")) {
      expansion += Format("%02d", time.minute);
    } else {
      ++at;  // separators, dots, the extension's letters: not copied
    }
  }
  return path.substr(0, start) + expansion + extension;
}

void ExpandNameTemplate(Run& run, std::string& path) {
  if (!HasNameTemplate(path)) return;
  // One clock reading serves every token, so the name can't straddle a minute.
  int64_t now = run.sys.Now();
  CivilTime time;
  if (!run.sys.BreakDownFileTime(EpochToFileTime(now), NameTemplateWantsGmt(path), &time)) {
    time = CivilTime();
  }
  std::string computerName =
      path.find(kComputerName) == std::string::npos ? "" : run.sys.ComputerName();
  std::string expanded = ExpandedName(path, time, computerName);
  if (expanded.size() > static_cast<size_t>(kMaxOutputPath)) {
    fprintf(run.message, "\nExpanded output file name is longer than %d characters\n",
            kMaxOutputPath);
    Terminate(run, kIllegalOption);
  }
  path = expanded;
}

}  // namespace korven
