#include "check/check_listings.h"

#include <gtest/gtest.h>

#include "check/listing_reader.h"
#include "testing/test_run.h"

namespace korven {
namespace {

ListedFile Record(const std::string& fields) {
  Listing listing;
  std::string error;
  EXPECT_TRUE(ParseListing("A.TXT" + std::string(30, ' ') + " CBF43926 " + fields + "\n", &listing, &error))
      << error;
  return listing.files.empty() ? ListedFile() : listing.files[0];
}

// Written 2008-03-07 08:30:15 UTC, 03:30:15 in the test run's zone (EST).
FindEntry WrittenAt(int minute, int second, uint64_t size = 9) {
  FindEntry entry;
  entry.size = size;
  entry.times.write = EpochToFileTime(UtcSeconds(2008, 3, 7, 8, minute, second));
  entry.times.access = entry.times.write;
  entry.times.creation = entry.times.write;
  return entry;
}

TEST(WrittenSinceListed, SizeAndTimeInTheRecordsOwnLayout) {
  struct Case {
    const char* fields;
    FindEntry now;
    bool written;
  } cases[] = {
      {"          9 03/07/2008 03:30w EST ", WrittenAt(30, 15), false},
      {"          9 03/07/2008 03:30w EST ", WrittenAt(30, 59), false},  // no seconds in the record
      {"          9 03/07/2008 03:30w EST ", WrittenAt(31, 0), true},
      {"          9 03/07/2008 03:30w EST ", WrittenAt(30, 15, 10), true},
      {"          9 03/07/2008 03:30:15w EST ", WrittenAt(30, 16), true},
      {"          9 2008/03/07 03:30:15w EST ", WrittenAt(30, 15), false},
      {"          9 03/07/2008 08:30w GMT ", WrittenAt(30, 15), false},  // a GMT record in UTC
      {"          9 03/07/2008 03:30w GMT ", WrittenAt(30, 15), true},
      {"          9 03/07/2008 03:30w CET ", WrittenAt(30, 15), true},  // made in another zone
      {"          9 03/07/2008 03:30:15c 03/07/2008 03:30:15w 03/07/2008 03:30:15a EST ", WrittenAt(30, 15), false},
      {"          9 ", WrittenAt(45, 0), false},  // -m: the size alone
      {"          9 ", WrittenAt(45, 0, 8), true},
  };
  for (const Case& c : cases) {
    TestRun t;
    EXPECT_EQ(WrittenSinceListed(t.run, Record(c.fields), c.now), c.written) << c.fields;
  }
}

}  // namespace
}  // namespace korven
