#include "listing/file_processor.h"

#include <cstdio>

#include "crc/file_crc.h"
#include "crc/signature.h"
#include "listing/file_times.h"
#include "listing/name_fitting.h"
#include "listing/progress.h"
#include "listing/record_layout.h"
#include "listing/sfv_record.h"
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

bool GiveAttributesBack(Run& run, const std::string& fullPath, uint32_t attributes) {
  if (run.fs.SetAttributes(fullPath, attributes)) return true;
  fprintf(run.message, "\nCan't set attributes on %s", fullPath.c_str());
  return false;
}

// -C or -E on one file; a file left unchanged that should have changed makes
// the run end with status 1.
void ChangeSignature(Run& run, const std::string& fullPath, const FindEntry& file,
                     SignatureChange (*change)(Run&, const std::string&, const FindEntry&)) {
  SignatureChange done = change(run, fullPath, file);
  if (done == SignatureChange::kChanged && !GiveAttributesBack(run, fullPath, file.attributes)) {
    done = SignatureChange::kFailed;
  }
  if (done == SignatureChange::kFailed) ++run.counters.failedChanges;
}

// Whether a file is looked up by name before it is read: for what the
// filters test, for a file that is never read (-N), and for what an open
// file can't tell, its 8.3 name and whether it is a symbolic link (through
// which the options that change files or their times never act).
bool LooksUpByName(const RunSettings& s) {
  return s.dateFilterOn || s.sizeGreaterOn || s.sizeLessOn || s.pathNameOnly || s.print83Name ||
         s.createSignature || s.eraseSignature || s.resetTimes;
}

// The file as looked up by name; false when it is to be skipped silently:
// gone, or no file.
bool LookUpByName(Run& run, const std::string& dir, const std::string& name, std::string& fullPath,
                  FindEntry* file) {
  // By the exact name only: a name that is not found names a file gone, never
  // one whose name merely looks like it.
  if (!run.fs.LookUp(dir + name, file) || file->IsDirectory()) return false;
  fullPath.assign(dir).append(file->name);
  return true;
}

}  // namespace

bool LookUpAndRead(Run& run, const std::string& dir, const std::string& name, std::string& fullPath,
                   LookedUpFile* found) {
  const RunSettings& s = run.settings;
  FindEntry& file = found->file;
  const bool byName = LooksUpByName(s);
  if (byName) {
    if (!LookUpByName(run, dir, name, fullPath, &file)) return false;
    if (s.dateFilterOn && !PassesDateFilter(run, file.times)) return false;
    if (!PassesSizeFilter(run, static_cast<int64_t>(file.size))) return false;
    if (s.pathNameOnly) return true;
  } else {
    file.name = name;
    fullPath.assign(dir).append(name);
  }

  const int progress = ShowProgress(run, file.name);
  found->crc = FileCrc(run, fullPath, run.values.displacement, found->crcText);
  EraseProgress(run, progress);
  if (found->crc.Opened()) {
    // The record tells of the file read.
    const FindEntry& read = found->crc.file;
    file.attributes = read.attributes | (file.attributes & kAttrReparsePoint);
    file.size = read.size;
    file.times = read.times;
    file.id = read.id;
    return true;
  }
  // Not opened: gone (also since a look-up by name), no file any more, or a
  // file that is there and can't be read.
  return found->crc.result == CrcRead::kCannotOpen && LookUpByName(run, dir, name, fullPath, &file);
}

void ProcessFile(Run& run, const std::string& dir, const std::string& name) {
  std::string& fullPath = run.buffers.fullPath;
  std::string& displayName = run.buffers.displayName;
  LookedUpFile found;
  if (!LookUpAndRead(run, dir, name, fullPath, &found)) return;
  const FindEntry& file = found.file;

  const RunSettings& s = run.settings;
  if (s.sfvOutput) {
    ListSfvFile(run, fullPath, found);
    return;
  }
  displayName.assign(fullPath);
  for (char& c : displayName) c = UpperAscii(c);
  const int64_t size = static_cast<int64_t>(file.size);
  TimeBlock times;
  ConvertTimes(run, file.times, &times, s.zuluTime != 0);

  FitToNameWidth(run, displayName);
  ++run.counters.listedFiles;
  run.counters.listedBytes += size;

  WriteNameField(run, s.nameOnly && !s.recurse ? file.name : displayName);
  if (s.pathNameOnly) {
    EndPathNameRecord(run);
    return;
  }
  WriteCrcField(run, found.crcText);

  if (s.createSignature) ChangeSignature(run, fullPath, file, AppendSignature);
  if (s.verifySignature && !VerifySignature(run, fullPath)) {
    fprintf(run.message, "Incorrect CRC\n");
    ++run.counters.failedChecks;
    // The listing stays one record per line.
    EndRecord(run);
    return;
  }
  if (s.eraseSignature) ChangeSignature(run, fullPath, file, EraseSignature);

  WriteSizeField(run, size);
  WriteTimeFields(run, times);
  WriteDosNameField(run, file.shortName.empty() ? file.name : file.shortName);
  WriteLongNameFields(run, file.name);
  EndRecord(run);

  if (s.showStreams) ListFileStreams(run, fullPath, file.name);

  // Times are never set through a symbolic link: the file it points to may lie anywhere.
  if (s.resetTimes && !file.IsLink() && !RestoreTimes(run, fullPath, file.times)) {
    fprintf(run.message, "\nCan't reset filetime for %s\n", fullPath.c_str());
    if (run.accounting != nullptr) {
      fprintf(run.accounting, "\nCan't reset filetime for %s\n", fullPath.c_str());
    }
  }
}

}  // namespace korven
