#include "config/long_options.h"

#include <algorithm>
#include <cstdint>

#include "config/date_limit.h"
#include "config/option_actions.h"
#include "config/option_text.h"
#include "config/search_lists.h"
#include "run/run.h"
#include "run/terminate.h"
#include "surroundings/help_text.h"
#include "text/text.h"

namespace korven {

namespace {

enum class Form {
  kSwitch,         // --name, --name=on|off, --no-name
  kValue,          // --name=value
  kOptionalValue,  // --name or --name=value
  kCommand,        // --name only
  kWords,          // --name WORD...: the words up to the next option, each given as the value
  kTwoWords,       // --name WORD WORD
};

enum class Where { kEverywhere, kCommandLineOnly, kIniOnly };

using Action = std::string (*)(Run& run, const std::string& value, bool on);

struct NamedOption {
  const char* name;
  Form form;
  Where where;
  int32_t RunSettings::*field;  // a plain switch sets this field; otherwise `action` runs
  Action action;
};

// --skip-512 and the INI key qxr.
std::string SkipFirst512Switch(Run& run, const std::string&, bool on) {
  SkipFirst512(run, on);
  return std::string();
}

// clang-format off
const NamedOption kOptions[] = {
    // Switches that set one field.
    {"recurse", Form::kSwitch, Where::kEverywhere, &RunSettings::recurse, nullptr},
    {"append", Form::kSwitch, Where::kEverywhere, &RunSettings::appendOutput, nullptr},
    {"immediate", Form::kSwitch, Where::kEverywhere, &RunSettings::immediate, nullptr},
    {"name-only", Form::kSwitch, Where::kEverywhere, &RunSettings::nameOnly, nullptr},
    {"path-name-only", Form::kSwitch, Where::kEverywhere, &RunSettings::pathNameOnly, nullptr},
    {"auto-width", Form::kSwitch, Where::kEverywhere, &RunSettings::autoWidth, nullptr},
    {"date-time", Form::kSwitch, Where::kEverywhere, &RunSettings::printDateTime, nullptr},
    {"seconds", Form::kSwitch, Where::kEverywhere, &RunSettings::printSeconds, nullptr},
    {"sortable-date", Form::kSwitch, Where::kEverywhere, &RunSettings::sortableDate, nullptr},
    {"zulu", Form::kSwitch, Where::kEverywhere, &RunSettings::zuluTime, nullptr},
    {"stream", Form::kSwitch, Where::kEverywhere, &RunSettings::showStreams, nullptr},
    {"reset-times", Form::kSwitch, Where::kEverywhere, &RunSettings::resetTimes, nullptr},
    {"verify-signature", Form::kSwitch, Where::kEverywhere, &RunSettings::verifySignature, nullptr},
    {"pause", Form::kSwitch, Where::kEverywhere, &RunSettings::pauseOn, nullptr},
    {"alt-hash", Form::kSwitch, Where::kEverywhere, &RunSettings::altHashForced, nullptr},
    {"hash3", Form::kSwitch, Where::kEverywhere, &RunSettings::hashMode3, nullptr},
    {"no-progress", Form::kSwitch, Where::kEverywhere, &RunSettings::progressOff, nullptr},
    {"log-beside-output", Form::kSwitch, Where::kEverywhere, &RunSettings::logBesideOutput, nullptr},
    {"exclude-keep-case", Form::kSwitch, Where::kEverywhere, &RunSettings::excludeKeepCase, nullptr},
    {"variable", Form::kSwitch, Where::kEverywhere, &RunSettings::variableWidth, nullptr},
    {"sfv", Form::kSwitch, Where::kEverywhere, &RunSettings::sfvOutput, nullptr},
    {"ignore-missing", Form::kSwitch, Where::kEverywhere, &RunSettings::ignoreMissing, nullptr},

    // Switches with more to them.
    {"quiet", Form::kSwitch, Where::kEverywhere, nullptr,
     [](Run& run, const std::string&, bool on) {
       run.settings.quietLevel = on ? std::max(run.settings.quietLevel, 1) : 0;
       return std::string();
     }},
    {"create-signature", Form::kSwitch, Where::kEverywhere, nullptr,
     [](Run& run, const std::string&, bool on) {
       SetSignatureOption(run, SignatureOption::kCreate, on);
       return std::string();
     }},
    {"erase-signature", Form::kSwitch, Where::kEverywhere, nullptr,
     [](Run& run, const std::string&, bool on) {
       SetSignatureOption(run, SignatureOption::kErase, on);
       return std::string();
     }},
    {"skip-512", Form::kSwitch, Where::kEverywhere, nullptr, SkipFirst512Switch},
    // The suite's own INI keyword for the same.
    {"qxr", Form::kSwitch, Where::kIniOnly, nullptr, SkipFirst512Switch},
    {"crc", Form::kSwitch, Where::kEverywhere, nullptr,
     [](Run& run, const std::string&, bool on) {
       if (on) {
         SelectCrcColumn(run);
       } else {
         run.settings.crcMode = 0;
       }
       return std::string();
     }},
    {"alt-hash-only", Form::kSwitch, Where::kEverywhere, nullptr,
     [](Run& run, const std::string&, bool on) {
       if (on) {
         SelectAltHashColumn(run);
       } else {
         SelectCrcColumn(run);
       }
       return std::string();
     }},
    {"dos-name", Form::kSwitch, Where::kEverywhere, nullptr,
     [](Run& run, const std::string&, bool on) {
       if (on) {
         SetShortNameColumn(run);
       } else {
         run.settings.print83Name = 0;
       }
       return std::string();
     }},

    // Values.
    {"output", Form::kValue, Where::kEverywhere, nullptr,
     [](Run& run, const std::string& value, bool) { return SetOutputFile(run, value, false); }},
    {"accounting", Form::kValue, Where::kEverywhere, nullptr,
     [](Run& run, const std::string& value, bool) { return SetAccountingFile(run, value); }},
    {"width", Form::kValue, Where::kEverywhere, nullptr,
     [](Run& run, const std::string& value, bool) {
       return SetNameWidth(run, value, WidthFitting::kFitted);
     }},
    {"tail-width", Form::kValue, Where::kEverywhere, nullptr,
     [](Run& run, const std::string& value, bool) {
       return SetNameWidth(run, value, WidthFitting::kTailPreserving);
     }},
    {"path", Form::kValue, Where::kEverywhere, nullptr,
     [](Run& run, const std::string& value, bool) {
       std::string refused = AddSearchPath(run, value);
       if (refused.empty()) run.settings.longOptPathSet = 1;
       return refused;
     }},
    {"type", Form::kValue, Where::kEverywhere, nullptr,
     [](Run& run, const std::string& value, bool) { return AddSearchType(run, value); }},
    {"exclude", Form::kValue, Where::kEverywhere, nullptr,
     [](Run& run, const std::string& value, bool) { return AddExcludeType(run, value); }},
    {"time", Form::kValue, Where::kEverywhere, nullptr,
     [](Run& run, const std::string& value, bool) { return SetTimeKind(run, value, false); }},
    {"newer", Form::kValue, Where::kEverywhere, nullptr,
     [](Run& run, const std::string& value, bool) {
       return SetDateLimit(run, value, DateBound::kNewer);
     }},
    {"older", Form::kValue, Where::kEverywhere, nullptr,
     [](Run& run, const std::string& value, bool) {
       return SetDateLimit(run, value, DateBound::kOlder);
     }},
    {"size-greater", Form::kValue, Where::kEverywhere, nullptr,
     [](Run& run, const std::string& value, bool) {
       return SetSizeLimit(run, value, SizeBound::kGreater);
     }},
    {"size-less", Form::kValue, Where::kEverywhere, nullptr,
     [](Run& run, const std::string& value, bool) {
       return SetSizeLimit(run, value, SizeBound::kLess);
     }},
    {"delimiter", Form::kValue, Where::kEverywhere, nullptr,
     [](Run& run, const std::string& value, bool) { return SetDelimiter(run, value); }},
    {"displacement", Form::kValue, Where::kEverywhere, nullptr,
     [](Run& run, const std::string& value, bool) { return SetDisplacement(run, value); }},
    {"threads", Form::kValue, Where::kEverywhere, nullptr,
     [](Run& run, const std::string& value, bool) { return SetThreads(run, value); }},
    {"attributes", Form::kValue, Where::kEverywhere, nullptr,
     [](Run& run, const std::string& value, bool) { return SetAttributeShow(run, value); }},
    {"attribute-mask", Form::kValue, Where::kEverywhere, nullptr,
     [](Run& run, const std::string& value, bool) { return SetAttributeMask(run, value); }},
    {"sort", Form::kOptionalValue, Where::kEverywhere, nullptr,
     [](Run& run, const std::string& value, bool) { return SetSortKeys(run, value); }},
    {"long-name", Form::kOptionalValue, Where::kEverywhere, nullptr,
     [](Run& run, const std::string& value, bool) { return SetLongNameMode(run, value); }},

    // Listings read instead of files walked.
    {"check", Form::kWords, Where::kCommandLineOnly, nullptr,
     [](Run& run, const std::string& value, bool) { return AddListingFile(run, value, RunMode::kCheck); }},
    {"compare", Form::kTwoWords, Where::kCommandLineOnly, nullptr,
     [](Run& run, const std::string& value, bool) { return AddListingFile(run, value, RunMode::kCompare); }},

    // Commands of the command line.
    {"no-accounting", Form::kCommand, Where::kCommandLineOnly, nullptr,
     [](Run& run, const std::string&, bool) {
       ClearAccountingFile(run);
       return std::string();
     }},
    {"notice", Form::kCommand, Where::kCommandLineOnly, nullptr,
     [](Run& run, const std::string&, bool) {
       ShowNotice(run);
       return std::string();
     }},
    // Asked for, so not an error: ends with status 0, unlike -?. Nothing was
    // listed, so no summary follows either of these.
    {"help", Form::kCommand, Where::kCommandLineOnly, nullptr,
     [](Run& run, const std::string&, bool) -> std::string {
       PrintHelp(run.listing);
       EndProcess(run, kNormalExit);
     }},
    {"version", Form::kCommand, Where::kCommandLineOnly, nullptr,
     [](Run& run, const std::string&, bool) -> std::string {
       PrintVersion(run.listing);
       EndProcess(run, kNormalExit);
     }},
};
// clang-format on

bool Allowed(const NamedOption& option, OptionSource source) {
  return source == OptionSource::kCommandLine ? option.where != Where::kIniOnly
                                              : option.where != Where::kCommandLineOnly;
}

const NamedOption* Find(const std::string& name, OptionSource source) {
  for (const NamedOption& option : kOptions) {
    bool matches = source == OptionSource::kCommandLine ? name == option.name
                                                        : EqualsIgnoreCase(name, option.name);
    if (matches && Allowed(option, source)) return &option;
  }
  return nullptr;
}

// The option `name` names, also as "no-NAME" of a switch on the command line
// (then `negated`); null when none.
const NamedOption* FindNamed(const std::string& name, OptionSource source, bool* negated) {
  *negated = false;
  const NamedOption* option = Find(name, source);
  if (option == nullptr && source == OptionSource::kCommandLine && name.rfind("no-", 0) == 0) {
    option = Find(name.substr(3), source);
    *negated = option != nullptr && option->form == Form::kSwitch;
    if (!*negated) option = nullptr;
  }
  return option;
}

}  // namespace

int WordsTaken(const std::string& name) {
  const NamedOption* option = Find(name, OptionSource::kCommandLine);
  if (option == nullptr) return 0;
  if (option->form == Form::kWords) return kWordsToNextOption;
  return option->form == Form::kTwoWords ? 2 : 0;
}

bool IsNamedOption(const std::string& name) {
  bool negated;
  return FindNamed(name, OptionSource::kCommandLine, &negated) != nullptr;
}

std::string ApplyNamedOption(Run& run, const std::string& name, const std::string* value,
                             OptionSource source) {
  bool negated;
  const NamedOption* option = FindNamed(name, source, &negated);
  if (option == nullptr) return Format("unknown option \"%s\"", name.c_str());

  bool on = !negated;
  switch (option->form) {
    case Form::kSwitch:
      if (value != nullptr && (negated || !ParseOnOff(*value, &on))) {
        return Format("%s takes on or off, not \"%s\"", name.c_str(), value->c_str());
      }
      break;
    case Form::kValue:
    case Form::kWords:
    case Form::kTwoWords:
      if (value == nullptr || value->empty()) return Format("%s needs a value", name.c_str());
      break;
    case Form::kOptionalValue:
      break;
    case Form::kCommand:
      if (value != nullptr) return Format("%s takes no value", name.c_str());
      break;
  }
  if (option->field != nullptr) {
    run.settings.*option->field = on ? 1 : 0;
    return "";
  }
  return option->action(run, value != nullptr ? *value : std::string(), on);
}

}  // namespace korven
