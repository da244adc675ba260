#include "listing/file_processor.h"

#include <cstdio>
#include <cstring>

#include "crc/file_crc.h"
#include "crc/signature.h"
#include "listing/file_lookup.h"
#include "listing/file_times.h"
#include "listing/name_fitting.h"
#include "listing/progress.h"
#include "listing/record_layout.h"
#include "platform/file_system.h"
#include "run/run.h"
#include "streams/file_streams.h"
#include "text/text.h"

namespace korven {

namespace {

uint64_t TimeByLetter(const FileTimes& times, char letter) {
  if (letter == 'a') return times.access;
  if (letter == 'c') return times.creation;
  return times.write;
}

bool PassesDateFilter(Run& run, const FileTimes& times) {
  const RunSettings& s = run.settings;
  const OptionValues& v = run.values;
  if (!v.dateLetters.empty()) {
    if (!s.olderThanOn && !s.newerThanOn) return true;
    for (char letter : v.dateLetters) {
      const uint64_t t = TimeByLetter(times, letter);
      if (v.newerThanTime < t && t < v.olderThanTime) return true;
    }
    return false;
  }
  const long age = AgeInDays(run, times, static_cast<int>(s.timeKind));
  return v.olderDays <= age && age < v.newerDays;
}

bool PassesSizeFilter(Run& run, int64_t size) {
  if (run.settings.sizeGreaterOn && size < run.values.sizeGreater) return false;
  if (run.settings.sizeLessOn && size > run.values.sizeLess) return false;
  return true;
}

void FitName(Run& run, std::string& displayName) {
  const int width = run.settings.nameWidth;
  if (run.settings.variableWidth && run.values.nameWidthLevel < 3) {
    run.settings.nameWidth = static_cast<int32_t>(displayName.size());
  } else if (static_cast<int>(displayName.size()) > width) {
    displayName = run.values.nameWidthLevel == 3 ? FitTail(displayName, width) : FitStandard(displayName, width);
  }
}

void GiveAttributesBack(Run& run, const std::string& fullPath, uint32_t attributes) {
  if (!run.fs.SetAttributes(fullPath, attributes)) {
    fprintf(run.message, "\nCan't set attributes on %s", fullPath.c_str());
  }
}

void AppendWholeFileSignature(Run& run, const std::string& fullPath, uint64_t size, uint32_t crc,
                              const char* crcText) {
  // An unreadable file gets no signature rather than a wrong one.
  if (strcmp(crcText, "CRCERROR") == 0) return;
  // The signature covers every byte, also those a start offset left out.
  if (run.values.displacement != 0) {
    char wholeText[kCrcTextSize];
    FileCrc(run, fullPath, &crc, wholeText, 0, size);
    if (strcmp(wholeText, "CRCERROR") == 0) return;
  }
  AppendSignature(run, fullPath, crc);
}

}  // namespace

void ProcessFile(Run& run, const std::string& dir, const FindEntry& found) {
  std::string& displayName = run.buffers.displayName;
  std::string& fullPath = run.buffers.fullPath;
  char crcText[kCrcTextSize];

  const RunSettings& s = run.settings;
  fullPath.assign(dir).append(found.name);
  displayName.assign(fullPath);
  for (char& c : displayName) c = UpperAscii(c);

  const int64_t size = static_cast<int64_t>(found.size);
  if (s.dateFilterOn && !PassesDateFilter(run, found.times)) return;
  if (!PassesSizeFilter(run, size)) return;
  TimeBlock times;
  ConvertTimes(run, found.times, &times, s.zuluTime != 0);

  FitName(run, displayName);
  ++run.counters.listedFiles;
  run.counters.listedBytes += size;

  WriteNameField(run, s.nameOnly && !s.recurse ? found.name : displayName);
  if (s.pathNameOnly) {
    EndPathNameRecord(run);
    return;
  }

  const int progress = ShowProgress(run, found.name);
  uint32_t crc = 0;
  FileCrc(run, fullPath, &crc, crcText, run.values.displacement, found.size);
  EraseProgress(run, progress);
  WriteCrcField(run, crcText);

  if (s.createSignature) {
    AppendWholeFileSignature(run, fullPath, found.size, crc, crcText);
    GiveAttributesBack(run, fullPath, found.attributes);
  }
  if (s.verifySignature && !VerifySignature(run, fullPath)) {
    fprintf(run.message, "Incorrect CRC\n");
    ++run.counters.failedChecks;
    // The listing stays one record per line.
    EndRecord(run);
    return;
  }
  if (s.eraseSignature) {
    EraseSignature(run, fullPath, found.size);
    GiveAttributesBack(run, fullPath, found.attributes);
  }

  WriteSizeField(run, size);
  WriteTimeFields(run, times);
  WriteDosNameField(run, found.shortName.empty() ? found.name : found.shortName);
  WriteLongNameFields(run, found.name);
  EndRecord(run);

  if (s.showStreams && !found.IsDirectory()) ListFileStreams(run, fullPath, found.name);

  if (s.resetTimes && !RestoreTimes(run, fullPath, found.times)) {
    fprintf(run.message, "\nCan't reset filetime for %s\n", fullPath.c_str());
    if (run.accounting != nullptr) {
      fprintf(run.accounting, "\nCan't reset filetime for %s\n", fullPath.c_str());
    }
  }
}

void ProcessFile(Run& run, const std::string& dir, const std::string& name) {
  FindEntry found;
  if (LookUpFile(run, dir, name, &found)) ProcessFile(run, dir, found);
}

}  // namespace korven
