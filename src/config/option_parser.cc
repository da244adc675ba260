#include "config/option_parser.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "config/closing_rules.h"
#include "config/date_limit.h"
#include "config/ini_file.h"
#include "config/long_options.h"
#include "config/option_actions.h"
#include "config/search_lists.h"
#include "platform/path.h"
#include "platform/system.h"
#include "run/accounting.h"
#include "run/run.h"
#include "run/terminate.h"
#include "surroundings/help_text.h"
#include "text/text.h"

namespace korven {

namespace {

constexpr int kIllegalOptionPauseMs = 2000;

// The arguments after the program name, without "-.ini FILE".
struct Arguments {
  std::vector<std::string> words;
  size_t next = 0;

  bool HasNext() const { return next < words.size(); }
};

// The option word being read: its text, the position of the next letter,
// and whether "+" forces its switches.
struct OptionWord {
  const std::string& text;
  size_t pos;
  bool forced;
};

using ListAdder = std::string (*)(Run& run, const std::string& entry);

bool IsOptionWord(const std::string& word) {
  return !word.empty() && (word[0] == '-' || word[0] == '+' || (kSlashStartsOption && word[0] == '/'));
}

[[noreturn]] void Refuse(Run& run, const std::string& message) {
  fprintf(run.message, "%s", message.c_str());
  Terminate(run, kIllegalOption);
}

void Check(Run& run, const std::string& refused) {
  if (!refused.empty()) Refuse(run, refused);
}

[[noreturn]] void RefuseEmptyArgument(Run& run) {
  Refuse(run, "\nAn empty argument is neither a path, a file type nor an option\n");
}

[[noreturn]] void RefuseMissingValue(Run& run, const OptionWord& word, char letter) {
  Refuse(run, Format("\nOption %c%c needs a value\n", word.text[0], letter));
}

Arguments CollectArguments(Run& run, int argc, char** argv) {
  Arguments args;
  for (int i = 1; i < argc; ++i) {
    std::string word = argv[i] != nullptr ? argv[i] : "";
    if (IsOptionWord(word) && EqualsIgnoreCase(word.substr(1), ".ini")) {
      if (i + 1 >= argc || argv[i + 1] == nullptr || argv[i + 1][0] == '\0') {
        Refuse(run, Format("\n%s needs the name of the INI file\n", word.c_str()));
      }
      run.values.iniPath = argv[++i];
      continue;
    }
    args.words.push_back(word);
  }
  return args;
}

void ApplyAccountingVariable(Run& run) {
  std::optional<std::string> path = run.sys.GetEnv("ACCT");
  if (!path || path->empty()) return;
  // A stale variable must not stop every run: OpenAccountingFile reports
  // the file it can't open and the run goes on without one.
  if (OpenAccountingFile(run, *path) == AccountingOpen::kOpened) run.settings.accountingOn = 1;
}

void Toggle(int32_t& field, bool forced, int32_t forcedValue) {
  field = forced ? forcedValue : !field;
}

std::string RestOfWord(OptionWord& word) {
  std::string rest = word.text.substr(word.pos);
  word.pos = word.text.size();
  return rest;
}

// The rest of the word, else the next argument; that may begin with "-"
// only where the option's own values do.
std::string TakeValue(Run& run, Arguments& args, OptionWord& word, char letter,
                      bool dashAllowed = false) {
  std::string rest = RestOfWord(word);
  if (!rest.empty()) return rest;
  if (!args.HasNext() || args.words[args.next].empty() ||
      (!dashAllowed && args.words[args.next][0] == '-')) {
    RefuseMissingValue(run, word, letter);
  }
  return args.words[args.next++];
}

// -A and -Y: the rest of the word, else the next argument unless that is an
// option; empty when neither is there.
std::string TakeLetters(Arguments& args, OptionWord& word) {
  std::string letters = RestOfWord(word);
  if (letters.empty() && args.HasNext() && !IsOptionWord(args.words[args.next])) {
    letters = args.words[args.next++];
  }
  return letters;
}

// -p, -f, -x: the rest of the word and the words up to the next option.
void ReadList(Run& run, Arguments& args, OptionWord& word, char letter, ListAdder add) {
  int taken = 0;
  std::string rest = RestOfWord(word);
  if (!rest.empty()) {
    Check(run, add(run, rest));
    ++taken;
  }
  while (args.HasNext() && !IsOptionWord(args.words[args.next])) {
    const std::string& entry = args.words[args.next++];
    if (entry.empty()) RefuseEmptyArgument(run);
    Check(run, add(run, entry));
    ++taken;
  }
  if (taken == 0) RefuseMissingValue(run, word, letter);
}

// -88, -88xx, -88xxE: digits and an E from the word; letters after them are
// options again.
void ReadLongNameMode(Run& run, OptionWord& word) {
  size_t end = word.text.find_first_not_of("0123456789", word.pos);
  if (end == std::string::npos) end = word.text.size();
  if (end < word.text.size() && word.text[end] == 'E') ++end;
  Check(run, SetLongNameMode(run, word.text.substr(word.pos, end - word.pos)));
  word.pos = end;
}

[[noreturn]] void RefuseIllegalOption(Run& run, const std::string& word) {
  fprintf(run.message, "\nIllegal option %s\n", word.c_str());
  fflush(run.message);
  run.sys.Sleep(kIllegalOptionPauseMs);
  Terminate(run, kIllegalOption);
}

void ReadOption(Run& run, Arguments& args, OptionWord& word) {
  RunSettings& s = run.settings;
  const bool forced = word.forced;
  const char letter = word.text[word.pos++];
  switch (letter) {
    case 'a': s.appendOutput = forced ? 0 : 1; break;
    case 'o':
    case 'O':
      if (forced) {
        ClearOutputFile(run);
      } else {
        Check(run, SetOutputFile(run, TakeValue(run, args, word, letter), letter == 'O'));
      }
      break;
    case '1':
      if (forced) {
        ClearAccountingFile(run);
      } else {
        Check(run, SetAccountingFile(run, TakeValue(run, args, word, letter)));
      }
      break;
    case 'p': ReadList(run, args, word, letter, AddSearchPath); break;
    case 'f': ReadList(run, args, word, letter, AddSearchType); break;
    case 'x': ReadList(run, args, word, letter, AddExcludeType); break;
    case 'r': Toggle(s.recurse, forced, 1); break;
    case 'i':
    case 'I': s.immediate = 1; break;
    case 'v': ++s.quietLevel; break;
    case 'n': Toggle(s.nameOnly, forced, 0); break;
    case 'N': Toggle(s.pathNameOnly, forced, 0); break;
    case 'w':
    case 'W': {
      WidthFitting fitting = forced            ? WidthFitting::kStandard
                             : letter == 'w' ? WidthFitting::kFitted
                                             : WidthFitting::kTailPreserving;
      Check(run, SetNameWidth(run, TakeValue(run, args, word, letter), fitting));
      break;
    }
    case 'M': s.autoWidth = 1; break;
    case 'm': Toggle(s.printDateTime, forced, 1); break;
    case 't':
    case 'T':
      if (forced) {
        ClearTimeColumns(run);
      } else {
        // One character: the next one of the word, else the next argument.
        std::string kind = word.pos < word.text.size() ? std::string(1, word.text[word.pos++])
                                                       : TakeValue(run, args, word, letter);
        Check(run, SetTimeKind(run, kind, letter == 'T'));
      }
      break;
    case 'Z':
    case 'z': s.zuluTime = 1; break;
    case 'S': Toggle(s.showStreams, forced, 1); break;
    case 'R': s.resetTimes = 1; break;
    case 'C':
    case 'E':
      SetSignatureOption(run, letter == 'C' ? SignatureOption::kCreate : SignatureOption::kErase, true);
      break;
    case 'V': s.verifySignature = 1; break;
    case 'b': SkipFirst512(run, true); break;
    case 'D': Check(run, SetDisplacement(run, TakeValue(run, args, word, letter))); break;
    case 'd': Check(run, SetDelimiter(run, TakeValue(run, args, word, letter))); break;
    case 'c': SelectCrcColumn(run); break;
    case 'h': SelectAltHashColumn(run); break;
    case 'l':
    case 'g': {
      DateBound bound = letter == 'l' ? DateBound::kNewer : DateBound::kOlder;
      Check(run, SetDateLimit(run, TakeValue(run, args, word, letter), bound));
      break;
    }
    case 'L':
    case 'G': {
      SizeBound bound = letter == 'L' ? SizeBound::kLess : SizeBound::kGreater;
      Check(run, SetSizeLimit(run, TakeValue(run, args, word, letter), bound));
      break;
    }
    case '8':
      if (word.pos < word.text.size() && word.text[word.pos] == '8') {
        ++word.pos;
        ReadLongNameMode(run, word);
      } else {
        SetShortNameColumn(run);
      }
      break;
    case 'A': Check(run, SetAttributeShow(run, TakeLetters(args, word))); break;
    case 'q': Check(run, SetAttributeMask(run, TakeValue(run, args, word, letter, true))); break;
    case 'Y':
    case 'y': Check(run, SetSortKeys(run, TakeLetters(args, word))); break;
    case 'X':
      run.values.optXText = RestOfWord(word);
      s.optX = run.values.optXText.empty() ? 1 : 2;
      break;
    case '9': s.optNine = 1; break;
    case 'P': Toggle(s.pauseOn, forced, 1); break;
    case '@': ShowNotice(run); break;
    case '?':
      PrintHelp(run.listing);
      Terminate(run, kIllegalOption);
    default: RefuseIllegalOption(run, word.text);
  }
}

void ReadOptionWord(Run& run, Arguments& args, const std::string& text) {
  if (text.size() == 1) Refuse(run, Format("\nAn option letter must follow \"%s\"\n", text.c_str()));
  OptionWord word{text, 1, text[0] == '+'};
  while (word.pos < text.size()) ReadOption(run, args, word);
}

// "--name WORD...": the words after the option word that belong to it, each
// applied as the option's value.
std::string ApplyFollowingWords(Run& run, Arguments& args, const std::string& name, int words) {
  int taken = 0;
  while (args.HasNext() && !IsOptionWord(args.words[args.next]) && (words < 0 || taken < words)) {
    const std::string& word = args.words[args.next++];
    if (word.empty()) RefuseEmptyArgument(run);
    std::string why = ApplyNamedOption(run, name, &word, OptionSource::kCommandLine);
    if (!why.empty()) return why;
    ++taken;
  }
  if (words < 0 && taken == 0) return Format("--%s needs at least one file after it", name.c_str());
  if (words > 0 && taken < words) return Format("--%s needs %d files after it", name.c_str(), words);
  return "";
}

// "--name=value", "--name", or "--name WORD..." for the options that take
// the words after them.
void ReadLongOption(Run& run, Arguments& args, const std::string& text) {
  std::string body = text.substr(2);
  size_t equals = body.find('=');
  std::string name = body.substr(0, equals);
  bool hasValue = equals != std::string::npos;
  std::string value = hasValue ? body.substr(equals + 1) : "";
  const int words = name.empty() ? 0 : WordsTaken(name);
  std::string why;
  if (name.empty()) {
    why = "a long option needs a name";
  } else if (words == 0) {
    why = ApplyNamedOption(run, name, hasValue ? &value : nullptr, OptionSource::kCommandLine);
  } else if (hasValue) {
    why = Format("--%s takes the files after it, not a value after \"=\"", name.c_str());
  } else {
    why = ApplyFollowingWords(run, args, name, words);
  }
  if (why.empty()) return;
  fprintf(run.message, "\nIllegal option: %s\n", text.c_str());
  // An unknown name says nothing more than the line above.
  if (IsNamedOption(name)) fprintf(run.message, "%s\n", TrimNewlines(why).c_str());
  Terminate(run, kIllegalOption);
}

[[noreturn]] void RefuseExtraItem(Run& run, const std::string& word) {
  fprintf(run.message, "\nThere appears to be an extra or eroneous item \"%s\"\n", word.c_str());
  fprintf(run.message, "at the end of the command line\n");
  fprintf(run.message, "Please check your syntax, and correct to problem.\n");
  Terminate(run, kIllegalOption);
}

}  // namespace

void ParseOptions(Run& run, int argc, char** argv) {
  Arguments args = CollectArguments(run, argc, argv);

  ApplyAccountingVariable(run);
  std::string iniPath = run.values.iniPath.empty() ? FindIniFile(run) : run.values.iniPath;
  if (!iniPath.empty()) ApplyIniFile(run, iniPath);

  while (args.HasNext() && !IsOptionWord(args.words[args.next])) {
    const std::string& word = args.words[args.next++];
    if (word.empty()) RefuseEmptyArgument(run);
    Check(run, AddBareWord(run, word));
  }
  while (args.HasNext()) {
    const std::string word = args.words[args.next++];
    if (word.empty()) RefuseEmptyArgument(run);
    if (!IsOptionWord(word)) RefuseExtraItem(run, word);
    if (word.rfind("--", 0) == 0) {
      ReadLongOption(run, args, word);
    } else {
      ReadOptionWord(run, args, word);
    }
  }
  ApplyClosingRules(run);
}

}  // namespace korven
