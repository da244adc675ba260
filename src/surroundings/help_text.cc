#include "surroundings/help_text.h"

#include <string>
#include <string_view>

#include "crc/crc_kernels.h"
#include "platform/path.h"
#include "run/terminate.h"

namespace korven {

namespace {

// '~' stands for the option prefix and '^' for the path separator of the
// platform (see ForPlatform): "-r" and "src/*.cpp" on POSIX, "/r" and
// "src\*.cpp" on Win32.
const char kUsage[] =
    "\nKORVEN lists files with their CRC-32 checksums.\n"
    "\n"
    "Usage: korven [PATH|TYPE|PATH^TYPE ...] [options]\n"
    "  Words before the first option are search paths, wildcard types (with * or ?)\n"
    "  or both (src^*.cpp). Options begin with ~ ; + forces a switch into one state.\n"
    "  Several letters may share one word (~rv); a value follows its letter or comes\n"
    "  in the next argument (~w40, ~w 40).\n"
    "\n"
    "Selection\n"
    "  ~p DIR ...      search paths, up to the next option       --path=DIR\n"
    "  ~f TYPE ...     wildcard file types (default *.*)          --type=PATTERN\n"
    "  ~x TYPE ...     exclusion patterns, such as [[:digit:]]*   --exclude=PATTERN\n"
    "  ~r / +r         toggle / set recursion into subdirectories --recurse\n"
    "  ~l DAYS|DATE    newer than DAYS days, or since mm-dd-yyyy  --newer=...\n"
    "                  followed by any of a c w (access, creation, write time)\n"
    "  ~g DAYS|DATE    older than (same values)                   --older=...\n"
    "  ~L BYTES        at most BYTES long                         --size-less=N\n"
    "  ~G BYTES        at least BYTES long                        --size-greater=N\n"
    "  ~A LETTERS      attribute display: d D e h m r s           --attributes=...\n"
    "  ~q -LETTERS     attribute masks: -/+ then 0 N a e h r s    --attribute-mask=...\n"
    "  ~S / +S         toggle / set listing of alternate data streams  --stream\n"
    "                  (NTFS streams; on Linux the user.NAME extended attributes)\n"
    "  ~A, ~q, ~h, --alt-hash and --hash3 are stored only: they change no listing\n"
    "\n"
    "Record layout\n"
    "  ~w N / ~W N     name width (0 = 2600); ~W keeps the file name when cutting\n"
    "                  --width=N, --tail-width=N; +w N: width with standard fitting\n"
    "  ~M              widen the name field to the longest path   --auto-width\n"
    "  ~n / +n         toggle / clear: name only, no path         --name-only\n"
    "  ~N / +N         toggle / clear: path and name only         --path-name-only\n"
    "  ~t K / ~T K     time column: a access, c creation, w write, upper case adds\n"
    "                  seconds, 3 all three, 0 none; ~T dates year first  --time=K\n"
    "  +t              no time column                 ~m / +m  toggle / set dates\n"
    "  ~Z, ~z          times in UTC, marked GMT                   --zulu\n"
    "  ~d C            delimiter: a character, a code or \"pipe\"   --delimiter=C\n"
    "  ~c / ~h         CRC-32 column / alternative hash column    --crc, --alt-hash-only\n"
    "  ~D a[,b[c|o]]   CRC-32 from byte a; b a count (c) or offset (o)  --displacement=...\n"
    "  ~b              CRC-32 from byte 512                       --skip-512\n"
    "  ~8              DOS 8.3 name at the end of each record     --dos-name\n"
    "  ~88[xx][E]      upper-case name as the last field, cut and padded to xx;\n"
    "                  E puts the extension in a field before it  --long-name[=xxE]\n"
    "\n"
    "Output\n"
    "  ~o FILE         listing to FILE (\"stdout\": standard output)  --output=FILE\n"
    "                  MMDD, YYMM, YYYY, hh, mm and COMPUTERNAME in the name expand\n"
    "  ~O FILE         the same, appending                        --append\n"
    "  ~a / +a         append to / replace the output file;  +o   no output file\n"
    "  ~i, ~I          no counting pass before listing            --immediate\n"
    "  ~v              quieter: no headers or progress            --quiet\n"
    "  ~P              pause after each screen on the terminal    --pause\n"
    "                  (a key goes on, Escape ends the run)\n"
    "  ~Y, ~y KEYS     sort the output file (a regular file) by n c s d,\n"
    "                  upper case descending: ~Y Sn               --sort=KEYS\n"
    "  ~1 FILE / +1    accounting log on / off   --accounting=FILE, --no-accounting\n"
    "  ~.ini FILE      read FILE instead of korven.ini or TOLVANER.INI\n"
    "  ~?              this text (exit status 5)                  --help (status 0)\n"
    "                  --version: version, build and CRC-32 kernel (status 0)\n"
    "  ~@              notice on the CRC-32 code                  --notice\n"
    "\n"
    "Local file changes\n"
    "  ~C              append each file's CRC-32 as an 8-byte signature, unless it\n"
    "                  already ends in its signature (sets ~R)    --create-signature\n"
    "  ~V              check the signature of each file           --verify-signature\n"
    "  ~E              remove a signature that verifies; any other file is left as\n"
    "                  it is (sets ~R; not with ~C)               --erase-signature\n"
    "                  ~C and ~E never change a symbolic link or the file behind it\n"
    "  ~R              give each file back its times after reading --reset-times\n"
    "\n"
    "Checking a listing\n"
    "  --sfv           write the listing as an SFV file: \"path CRC\" lines\n"
    "  --check FILE... check the files of listings and SFV files against the disk:\n"
    "                  NAME: OK, FAILED (contents changed, size and time as listed),\n"
    "                  CHANGED (written since), MISSING, UNREADABLE, AMBIGUOUS,\n"
    "                  SHORTENED (list with ~M or ~w 0), UNCHECKABLE; ~v: not OK only\n"
    "  --ignore-missing  with --check: files that are gone are passed over\n"
    "  --compare OLD NEW  CHANGED, ADDED and REMOVED names of two listings\n"
    "  korven ~r ~M ~o list.txt     then  korven --check list.txt\n"
    "  korven ~r --sfv ~o files.sfv then  korven --check files.sfv (or rhash -c files.sfv)\n"
    "\n"
    "Long options only: --alt-hash, --hash3, --no-progress, --log-beside-output,\n"
    "  --exclude-keep-case, --variable, --seconds, --sortable-date, --date-time.\n"
    "  A switch also reads --name=on|off and --no-name.\n"
    "Environment: RESET=ON (~R), SILENT=ON (~v), ACCT=FILE (accounting log), TZ.\n"
    "INI file: [KORVEN] section, KEY=VALUE with the long option names, STREAM, QXR.\n"
    "\n"
    "Exit status\n";

const char kNotice[] =
    "\nThe CRC-32 of KORVEN is the standard reflected CRC-32 (polynomial 0xEDB88320,\n"
    "initial value and final XOR 0xFFFFFFFF), computed by this program's own code.\n"
    "No third-party code is used for it.\n";

std::string ForPlatform(std::string_view text) {
  std::string spelled(text);
  for (char& c : spelled) {
    if (c == '~') {
      c = kOptionPrefix;
    } else if (c == '^') {
      c = kPathSeparator;
    }
  }
  return spelled;
}

const int kLastExitReason = kNonSpecificError;
const int kUnusedExitReason = 11;

}  // namespace

void PrintHelp(FILE* to) {
  fputs(ForPlatform(kUsage).c_str(), to);
  for (int reason = 0; reason <= kLastExitReason; ++reason) {
    if (reason == kUnusedExitReason) continue;
    fprintf(to, "  %2d  %s\n", reason, ExitReasonText(reason));
  }
  fputs(ForPlatform("  Status 1 also ends a run in which a ~V check failed, in which ~C or ~E left a\n"
                    "  file unchanged that it should have changed, a --check in which an entry did\n"
                    "  not match, and a --compare that found differences.\n")
            .c_str(),
        to);
}

void PrintNotice(FILE* to) { fputs(kNotice, to); }

void PrintVersion(FILE* to) {
  fprintf(to, "KORVEN %s, %s build, CRC-32 kernel %s\n", KORVEN_VERSION, kIsWin32 ? "Win32" : "POSIX",
          AvailableCrcKernels().back().name);
}

}  // namespace korven
