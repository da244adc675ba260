// The record of every choice made for a run, and the option values kept beside it.
#ifndef KORVEN_CONFIG_RUN_SETTINGS_H_
#define KORVEN_CONFIG_RUN_SETTINGS_H_

#include <cstdint>
#include <string>
#include <vector>

namespace korven {

// Flag fields are 0 (off) or 1 (on) unless said otherwise. The record starts
// zeroed; the environment defaults, the built-in defaults, the parser and the
// closing rules fill it in that order.
struct RunSettings {
  int32_t dateFilterOn = 0;
  int32_t allThreeTimes = 0;
  int32_t altHashForced = 0;
  int32_t appendOutput = 0;
  int32_t attrShowM = 0;
  int32_t attrSelectOn = 0;
  int32_t autoWidth = 0;
  int32_t accountingOn = 0;
  int32_t longOptPathSet = 0;
  int32_t optNine = 0;
  int32_t crcMode = 0;
  int32_t createSignature = 0;
  int32_t delimiterOn = 0;
  int32_t attrShowD = 0;
  int32_t attrShowDCount = 0;
  int32_t attrShowE = 0;
  int32_t progressOff = 0;
  int32_t extensionField = 0;
  int32_t bypass512 = 0;
  int32_t sizeGreaterOn = 0;
  int32_t hashAltMode = 0;
  int32_t attrShowH = 0;
  int32_t sizeLessOn = 0;
  int32_t nameWidth = 0;
  int32_t printDateTime = 0;
  int32_t nameOnly = 0;
  int32_t pathNameOnly = 0;
  int32_t outputMode = 0;  // 0 standard output, 1 output file, -1 "stdout" named
  int32_t pauseOn = 0;
  int32_t attrShowR = 0;
  int32_t recurse = 0;
  int32_t eraseSignature = 0;
  int32_t resetTimes = 0;
  int32_t printSeconds = 0;
  int32_t hashMode3 = 0;
  int32_t noticeRequested = 0;
  int32_t print83Name = 0;
  int32_t longNameMode = 0;  // 1 long name, 2 long name cut to longNameWidth
  int32_t nameWidthGiven = 0;
  int32_t optX = 0;  // 1 for -X, 2 when text is attached
  int32_t sortOutput = 0;
  int32_t showStreams = 0;
  int32_t attrShowS = 0;
  int32_t logBesideOutput = 0;
  int32_t sortableDate = 0;
  int32_t timeKind = 0;  // 'a', 'c', 'w', '3' or '0'
  int32_t variableWidth = 0;
  int32_t quietLevel = 0;
  int32_t verifySignature = 0;
  int32_t zuluTime = 0;
  int32_t immediate = 0;
  int32_t excludeOn = 0;
  int32_t excludeKeepCase = 0;
  int32_t olderThanOn = 0;
  int32_t newerThanOn = 0;
};

constexpr int kMaxListEntries = 128;
constexpr int kMaxOutputPath = 2600;
constexpr int kWidthForZero = 2600;  // -w 0

// Values that are not plain switches, kept beside the record for the run.
struct OptionValues {
  int32_t nameWidthLevel = 1;
  int32_t recordLength = 0;
  char delimiterChar = ' ';
  int64_t displacement = 0;
  int64_t displaceEnd = 0;
  char displaceEndKind = 0;  // 'c' count added to displacement, 'o' offset, 0 none
  int32_t sizeGreater = 0;
  int32_t sizeLess = 0;
  int32_t olderDays = 0;
  int32_t newerDays = 8000;
  uint64_t newerThanTime = 0;  // file time; set by the built-in defaults
  uint64_t olderThanTime = 0;  // file time; set by the built-in defaults
  std::string dateLetters;     // letters a, c, w given with -l/-g dates
  uint32_t attrMaskMinus = 0;
  uint32_t attrMaskPlus = 0;
  std::string outputPath;
  std::vector<std::string> searchPaths;
  std::vector<std::string> searchTypes;
  std::vector<std::string> excludeTypes;
  std::vector<int> sortKeys;  // +1 lower-case key, -1 upper-case key, ended by 999
  std::string sortKeyLetters;
  int32_t longNameWidth = 0;
  std::string optXText;
  std::string accountingPath;
  std::string iniPath;  // named by -.ini
};

}  // namespace korven

#endif  // KORVEN_CONFIG_RUN_SETTINGS_H_
