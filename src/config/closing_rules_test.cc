#include "config/closing_rules.h"

#include <gtest/gtest.h>

#include "run/terminate.h"
#include "testing/test_run.h"

namespace korven {
namespace {

TEST(ClosingRulesTest, EachRuleOnARecordSetUpByHand) {
  struct Case {
    const char* name;
    void (*setUp)(korven::Run& run);
    bool (*holds)(const korven::Run& run);
  } cases[] = {
      {"a given width switches automatic width off",
       [](korven::Run& run) { run.settings.autoWidth = 1; run.values.nameWidthLevel = 2; },
       [](const korven::Run& run) { return run.settings.autoWidth == 0; }},
      {"standard fitting keeps automatic width",
       [](korven::Run& run) { run.settings.autoWidth = 1; },
       [](const korven::Run& run) { return run.settings.autoWidth == 1; }},
      {"no type gives *.*", [](korven::Run&) {},
       [](const korven::Run& run) {
         return run.values.searchTypes == std::vector<std::string>{"*.*"};
       }},
      {"a type keeps the list",
       [](korven::Run& run) { run.values.searchTypes = {"*.c"}; },
       [](const korven::Run& run) {
         return run.values.searchTypes == std::vector<std::string>{"*.c"};
       }},
      {"path and name only raises the level from 1 to 2",
       [](korven::Run& run) { run.settings.pathNameOnly = 1; },
       [](const korven::Run& run) { return run.values.nameWidthLevel == 2; }},
      {"path and name only keeps level 3",
       [](korven::Run& run) { run.settings.pathNameOnly = 1; run.values.nameWidthLevel = 3; },
       [](const korven::Run& run) { return run.values.nameWidthLevel == 3; }},
      {"zulu without date columns shows write times",
       [](korven::Run& run) {
         run.settings.zuluTime = 1;
         run.settings.printDateTime = 0;
         run.settings.timeKind = TimeKind::kAccess;
       },
       [](const korven::Run& run) {
         return run.settings.printDateTime == 1 && run.settings.timeKind == TimeKind::kWrite;
       }},
      {"zulu with date columns keeps the time kind",
       [](korven::Run& run) { run.settings.zuluTime = 1; run.settings.timeKind = TimeKind::kAccess; },
       [](const korven::Run& run) { return run.settings.timeKind == TimeKind::kAccess; }},
      {"forced alternative hash",
       [](korven::Run& run) { run.settings.altHashForced = 1; },
       [](const korven::Run& run) { return run.settings.hashAltMode == 1; }},
      {"variable width with a blank delimiter",
       [](korven::Run& run) { run.settings.variableWidth = 1; },
       [](const korven::Run& run) {
         return run.settings.delimiterOn == 1 && run.values.delimiterChar == '|';
       }},
      {"exclusions in upper case",
       [](korven::Run& run) { run.values.excludeTypes = {"*.o", "Tmp"}; },
       [](const korven::Run& run) {
         return run.values.excludeTypes == std::vector<std::string>{"*.O", "TMP"};
       }},
  };
  for (const Case& c : cases) {
    TestRun p;
    c.setUp(p.run);
    ApplyClosingRules(p.run);
    EXPECT_TRUE(c.holds(p.run)) << c.name;
  }
}

TEST(ClosingRulesTest, SigningAndErasingTogetherAreRefused) {
  TestRun p;
  p.run.settings.createSignature = 1;
  p.run.settings.eraseSignature = 1;
  int status = -1;
  try {
    ApplyClosingRules(p.run);
  } catch (const RunEnded& ended) {
    status = ended.status;
  }
  EXPECT_EQ(status, kIllegalOption);
  EXPECT_NE(p.Messages().find("\n-C and -E can't be given together\n"), std::string::npos);
}

}  // namespace
}  // namespace korven
