#include "surroundings/help_text.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "platform/path.h"
#include "run/terminate.h"
#include "testing/temp_dir.h"

namespace korven {
namespace {

std::string Printed(void (*print)(FILE*)) {
  FILE* file = tmpfile();
  print(file);
  std::string text = ReadAll(file);
  fclose(file);
  return text;
}

TEST(HelpTextTest, NamesEveryOptionAndGroup) {
  std::string help = Printed(PrintHelp);
  const char* const expected[] = {
      "Selection", "Record layout", "Output", "Local file changes",
      "-p ", "-f ", "-x ", "-r ", "-l ", "-g ", "-L ", "-G ", "-A ", "-q ", "-S ",
      "-w ", "-W ", "+w ", "-M ", "-n ", "-N ", "-t ", "-T ", "+t ", "-m ", "-Z", "-z",
      "-d ", "-c ", "-h ", "-D ", "-b ", "-8 ", "-88", "-o ", "-O ", "-a ", "+o", "-i", "-I",
      "-v ", "-P ", "-Y", "-y ", "-1 ", "+1", "-.ini", "-? ", "-@ ",
      "-C ", "-V ", "-E ", "-R ",
      "--recurse", "--output=FILE", "--append", "--width=N", "--exclude=PATTERN",
      "--type=PATTERN", "--path=DIR", "--immediate", "--quiet", "--time=K", "--zulu",
      "--reset-times", "--size-greater=N", "--size-less=N", "--newer=", "--older=",
      "--delimiter=C", "--displacement=", "--accounting=FILE", "--help", "--stream",
      "--alt-hash", "--no-progress", "--log-beside-output", "--exclude-keep-case", "--variable",
      "--hash3", "STREAM", "QXR", "ACCT",
      "Checking a listing", "--sfv", "--check FILE", "--ignore-missing", "--compare OLD NEW",
  };
  for (const char* text : expected) EXPECT_NE(help.find(text), std::string::npos) << text;
}

// "/r" and "src\\*.cpp" on Win32, "-r" and "src/*.cpp" on POSIX.
TEST(HelpTextTest, SpellsOptionsAndPathsAsThePlatformDoes) {
  std::string help = Printed(PrintHelp);
  const std::string option(1, kOptionPrefix);
  for (const std::string& text : {option + "r / +r ", option + "w N / " + option + "W N",
                                   "(" + option + "rv)", "(src" + std::string(1, kPathSeparator) + "*.cpp)",
                                   "a " + option + "V check failed"}) {
    EXPECT_NE(help.find(text), std::string::npos) << text;
  }
  EXPECT_EQ(help.find_first_of("~^"), std::string::npos);
}

TEST(HelpTextTest, ListsTheExitStatusesWithTheirTexts) {
  std::string help = Printed(PrintHelp);
  for (int reason : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12}) {
    char line[64];
    snprintf(line, sizeof line, "%2d  %s\n", reason, ExitReasonText(reason));
    EXPECT_NE(help.find(line), std::string::npos) << line;
  }
}

// The option words of a text: "-x", "+x", "-88", "-.ini", "-?", "-@" and
// "--name", each standing alone (not the examples "-rv" or "-w40").
std::set<std::string> OptionWords(const std::string& text) {
  auto before = [](char c) { return strchr(" \t\n,(/[|\"", c) != nullptr; };
  auto after = [](char c) { return c == '\0' || strchr(" \t\n,/[]=)|:;.\"", c) != nullptr; };
  std::set<std::string> words;
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if ((text[i] != '-' && text[i] != '+') || (i > 0 && !before(text[i - 1]))) continue;
    size_t end = i + 1;
    if (text.compare(i, 2, "--") == 0) {
      while (end < text.size() && (islower(text[end]) || isdigit(text[end]) || text[end] == '-')) ++end;
      if (end - i > 2) words.insert(text.substr(i, end - i));
      continue;
    }
    if (text.compare(i + 1, 4, ".ini") == 0) {
      end += 4;
    } else if (text.compare(i + 1, 2, "88") == 0) {
      end += 2;
    } else if (isalnum(text[i + 1]) || text[i + 1] == '?' || text[i + 1] == '@') {
      end += 1;
    } else {
      continue;
    }
    if (after(end < text.size() ? text[end] : '\0')) words.insert(text.substr(i, end - i));
  }
  return words;
}

// The text of a manual page without its font changes and escapes.
std::string ManualPageText(const std::string& roff) {
  std::string text;
  for (size_t i = 0; i < roff.size(); ++i) {
    if (roff[i] != '\\' || i + 1 == roff.size()) {
      text += roff[i];
    } else if (roff[i + 1] == 'f') {
      i += 2;  // \fB, \fI, \fR, \fP
    } else if (roff[i + 1] == '&') {
      ++i;
    } else {
      text += roff[++i];  // \- and \e
    }
  }
  return text;
}

TEST(HelpTextTest, ManualPageNamesEveryOptionOfTheHelpText) {
  const std::string manual = ReadFileText(KORVEN_MANUAL_PAGE);
  ASSERT_NE(manual, "") << KORVEN_MANUAL_PAGE;
  const std::set<std::string> documented = OptionWords(ManualPageText(manual));
  const std::set<std::string> offered = OptionWords(Printed(PrintHelp));
  EXPECT_GT(offered.size(), 80u);
  for (const std::string& option : offered) {
    EXPECT_EQ(documented.count(option), 1u) << "the manual page " << KORVEN_MANUAL_PAGE << " does not name "
                                            << option << ", which the help text lists";
  }
}

TEST(HelpTextTest, NoticeSpeaksOfTheProgramsOwnCrc32) {
  std::string notice = Printed(PrintNotice);
  EXPECT_NE(notice.find("CRC-32"), std::string::npos);
  EXPECT_NE(notice.find("own code"), std::string::npos);
}

}  // namespace
}  // namespace korven
