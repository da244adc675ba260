// The record of every choice made for a run, and the option values kept beside it.
#ifndef KORVEN_RUN_RUN_SETTINGS_H_
#define KORVEN_RUN_RUN_SETTINGS_H_

#include <cstdint>
#include <string>
#include <vector>

namespace korven {

// Where the listing goes (-o, -O, +o).
enum class OutputMode : int32_t {
  kStandardOutput = 0,  // no output file named
  kFile = 1,            // the output file `outputPath`
  kNamedStdout = -1,    // "-o stdout": standard output, by name
};

// Which time a record shows (the letter of -t/-T, lower-cased). The values
// are the letters, which the record prints after the time.
enum class TimeKind : int32_t {
  kAccess = 'a',
  kCreation = 'c',
  kWrite = 'w',
  kAllThree = '3',  // creation, write and access, with seconds
  kNone = '0',
};

// What a run does: list files (as records or as an SFV file), check the
// files of listings against the disk (--check), or compare two listings
// (--compare).
enum class RunMode : int32_t { kList, kCheck, kCompare };

// Flag fields are 0 (off) or 1 (on) unless said otherwise. The record starts
// zeroed; the environment defaults, the built-in defaults, the parser and the
// closing rules fill it in that order, and then nothing but the counting pass
// (nameWidth with -M) changes it. Fields marked "stored only" are parsed and
// kept, but nothing in a run reads them.
struct RunSettings {
  RunMode mode = RunMode::kList;
  int32_t sfvOutput = 0;      // --sfv: the listing is an SFV file
  int32_t ignoreMissing = 0;  // --ignore-missing: a check passes over files that are gone
  int32_t threads = 0;        // --threads=N: files read by N threads at once; 0: chosen for the disk

  // Selection: -r, -i, -x, the date limits -l/-g and the size limits -L/-G.
  int32_t recurse = 0;
  int32_t immediate = 0;        // -i: no counting pass before the listing
  int32_t excludeOn = 0;        // -x gave exclusion patterns
  int32_t excludeKeepCase = 0;  // patterns and names compared without upper-casing
  int32_t dateFilterOn = 0;     // -l or -g is in force
  int32_t newerThanOn = 0;      // -l
  int32_t olderThanOn = 0;      // -g
  int32_t sizeLessOn = 0;       // -L
  int32_t sizeGreaterOn = 0;    // -G

  // The name field: -w/-W, -M, -n, -N, --variable.
  int32_t nameWidth = 0;       // characters of the name field; -M may widen it after counting
  int32_t nameWidthGiven = 0;  // the width as given, for the console header
  int32_t autoWidth = 0;       // -M: widen to the longest path the counting pass found
  int32_t nameOnly = 0;        // -n: the bare name (without -r)
  int32_t pathNameOnly = 0;    // -N: the name field alone, no other field
  int32_t variableWidth = 0;   // the name field as long as each name; forces a delimiter

  // The other fields: -t/-T, -m, -Z, -d, -8, -88.
  TimeKind timeKind = TimeKind::kWrite;
  int32_t printDateTime = 0;  // the date and time fields are printed
  int32_t printSeconds = 0;   // -tA, -tC, -tW
  int32_t allThreeTimes = 0;  // -t3; stored only (timeKind says the same)
  int32_t sortableDate = 0;   // -T: dates year first
  int32_t zuluTime = 0;       // -Z: times in UTC, zone "GMT"
  int32_t delimiterOn = 0;    // -d; stored only (the delimiter character is always written)
  int32_t print83Name = 0;    // -8: the 8.3 name as the last field
  int32_t longNameMode = 0;   // -88: 1 the upper-cased long name, 2 the same cut to longNameWidth
  int32_t extensionField = 0;  // -88xxE: a field holding only the extension

  // CRC-32: -D, -b and the hash switches -c/-h.
  int32_t bypass512 = 0;      // -b; stored only (displacement holds the 512)
  int32_t crcMode = 0;        // -c; stored only (the CRC-32 is always listed)
  int32_t hashAltMode = 0;    // -h; stored only
  int32_t hashMode3 = 0;      // stored only
  int32_t altHashForced = 0;  // sets hashAltMode when parsing ends; stored only

  // Changing files: -C, -V, -E, -R.
  int32_t createSignature = 0;
  int32_t verifySignature = 0;
  int32_t eraseSignature = 0;
  int32_t resetTimes = 0;  // give each file back its times after reading it

  // Streams: -S.
  int32_t showStreams = 0;

  // Output and surroundings: -o/-O, -a, -v, -P, -Y, -1, --log-beside-output.
  OutputMode outputMode = OutputMode::kStandardOutput;
  int32_t appendOutput = 0;
  int32_t quietLevel = 0;   // each -v adds 1; above 0: no header lines and no summary
  int32_t progressOff = 0;  // no per-file progress text
  int32_t pauseOn = 0;      // -P; stored only
  int32_t sortOutput = 0;   // -Y: sort the output file at the end
  int32_t accountingOn = 0;  // an accounting file was named; stored only (the open file says so)
  int32_t logBesideOutput = 0;  // the accounting file is the output file's name + ".log"

  // Stored only: the attribute options -A and -q, -X, -9, -@ and --path.
  int32_t attrSelectOn = 0;
  int32_t attrShowD = 0;
  int32_t attrShowDCount = 0;  // 1 for each -Ad, 2 for each -AD
  int32_t attrShowE = 0;
  int32_t attrShowH = 0;
  int32_t attrShowM = 0;
  int32_t attrShowR = 0;
  int32_t attrShowS = 0;
  int32_t optX = 0;  // 1 for -X, 2 when text is attached
  int32_t optNine = 0;
  int32_t noticeRequested = 0;
  int32_t longOptPathSet = 0;
};

constexpr int kMaxListEntries = 128;
constexpr int kMaxOutputPath = 2600;
constexpr int kWidthForZero = 2600;  // -w 0

// Values that are not plain switches, kept beside the record for the run.
struct OptionValues {
  // How a long name is fitted: 1 standard form, 2 after -w or -N (standard
  // form, no -M), 3 after -W (the tail-preserving form).
  int32_t nameWidthLevel = 1;
  int32_t recordLength = 0;  // characters of a record without the optional end fields
  char delimiterChar = ' ';

  // -D a[,b[c|o]] and -b: the CRC starts at `displacement`.
  int64_t displacement = 0;
  int64_t displaceEnd = 0;   // stored only
  char displaceEndKind = 0;  // 'c' count added to displacement, 'o' offset, 0 none; stored only

  int32_t sizeGreater = 0;  // -G bytes
  int32_t sizeLess = 0;     // -L bytes
  int32_t olderDays = 0;    // -g days: a file passes when its age is at least this
  int32_t newerDays = 8000;  // -l days: a file passes when its age is below this
  uint64_t newerThanTime = 0;  // -l date as a file time; default 01-01-1980 00:00 local
  uint64_t olderThanTime = 0;  // -g date as a file time; default today 23:59:59 local
  std::string dateLetters;     // letters a, c, w given with -l/-g dates

  uint32_t attrMaskMinus = 0;  // -q-; stored only
  uint32_t attrMaskPlus = 0;   // -q+; stored only

  std::string outputPath;  // with its name template expanded
  std::vector<std::string> searchPaths;
  std::vector<std::string> searchTypes;
  std::vector<std::string> excludeTypes;
  std::vector<int> sortKeys;  // +1 lower-case key, -1 upper-case key, ended by 999
  std::string sortKeyLetters;
  int32_t longNameWidth = 0;  // the xx of -88xx
  std::string optXText;       // stored only
  std::string accountingPath;
  std::string iniPath;  // named by -.ini
  std::vector<std::string> listingFiles;  // read by --check, or the two of --compare
};

}  // namespace korven

#endif  // KORVEN_RUN_RUN_SETTINGS_H_
