// The option values shared by the short options, the long options and the
// INI file. Each returns "" when the value is taken, else the message that
// refuses it; the caller ends the run with the exit reason of its source.
#ifndef KORVEN_CONFIG_OPTION_ACTIONS_H_
#define KORVEN_CONFIG_OPTION_ACTIONS_H_

#include <string>

#include "run/run_settings.h"

namespace korven {

struct Run;

// -o / -O: "stdout" in any case keeps the listing on standard output.
std::string SetOutputFile(Run& run, const std::string& name, bool append);
// +o
void ClearOutputFile(Run& run);
// -1: opens the file, telling one already open that it is replaced.
std::string SetAccountingFile(Run& run, const std::string& path);
// +1
void ClearAccountingFile(Run& run);

// How -w, -W and +w set the fitting level of nameWidthLevel.
enum class WidthFitting { kStandard, kFitted, kTailPreserving };
// 0 gives the widest field, 2600.
std::string SetNameWidth(Run& run, const std::string& text, WidthFitting fitting);

// -t / -T: a, c, w (upper case adds seconds), 3 for all three, 0 for none.
std::string SetTimeKind(Run& run, const std::string& text, bool sortableDate);
// +t
void ClearTimeColumns(Run& run);

// -d: one character, a decimal character code, or "pipe".
std::string SetDelimiter(Run& run, const std::string& text);
// -D a[,b[c|o]]
std::string SetDisplacement(Run& run, const std::string& text);
// -b
void SkipFirst512(Run& run, bool on);
// --threads=N
constexpr int kMaxThreads = 256;
std::string SetThreads(Run& run, const std::string& text);

// -C / -E: a file signed or cut is written to, so its times are put back afterwards.
enum class SignatureOption { kCreate, kErase };
void SetSignatureOption(Run& run, SignatureOption option, bool on);

enum class SizeBound { kLess, kGreater };
// -L / -G: bytes.
std::string SetSizeLimit(Run& run, const std::string& text, SizeBound bound);

// -A: letters d D e h m r s.
std::string SetAttributeShow(Run& run, const std::string& letters);
// -q: a sign, then letters 0 N a e h r s; the sign may change between letters.
std::string SetAttributeMask(Run& run, const std::string& text);
// -Y / -y: key letters, each kept as +1 (lower case) or -1 (upper case).
std::string SetSortKeys(Run& run, const std::string& letters);
// -88: "" for the long name, digits for its width, a trailing E for the
// extension field.
std::string SetLongNameMode(Run& run, const std::string& text);
// -8
void SetShortNameColumn(Run& run);

// --check FILE / --compare OLD NEW: one listing the run reads; the run
// checks or compares, not both.
std::string AddListingFile(Run& run, const std::string& path, RunMode mode);

// -c / -h
void SelectCrcColumn(Run& run);
void SelectAltHashColumn(Run& run);

// -@: prints the notice on the listing stream.
void ShowNotice(Run& run);

}  // namespace korven

#endif  // KORVEN_CONFIG_OPTION_ACTIONS_H_
