#include "surroundings/help_text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

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

TEST(HelpTextTest, ListsTheExitStatusesWithTheirTexts) {
  std::string help = Printed(PrintHelp);
  for (int reason : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12}) {
    char line[64];
    snprintf(line, sizeof line, "%2d  %s\n", reason, ExitReasonText(reason));
    EXPECT_NE(help.find(line), std::string::npos) << line;
  }
}

TEST(HelpTextTest, NoticeSpeaksOfTheProgramsOwnCrc32) {
  std::string notice = Printed(PrintNotice);
  EXPECT_NE(notice.find("CRC-32"), std::string::npos);
  EXPECT_NE(notice.find("own code"), std::string::npos);
}

}  // namespace
}  // namespace korven
