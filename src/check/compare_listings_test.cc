#include "check/compare_listings.h"

#include <gtest/gtest.h>

#include "check/listing_reader.h"

namespace korven {
namespace {

Listing Parsed(const std::string& text) {
  Listing listing;
  std::string error;
  EXPECT_TRUE(ParseListing(text, &listing, &error)) << error;
  return listing;
}

std::string Record(const std::string& name, const char* crc, const char* size) {
  return name + std::string(20 - name.size(), ' ') + " " + crc + " " + size + " 03/07/2008 03:30w UTC \n";
}

std::vector<std::string> Lines(const std::vector<ListingDifference>& differences) {
  std::vector<std::string> lines;
  for (const ListingDifference& d : differences) lines.push_back(d.line);
  return lines;
}

TEST(CompareListings, ChangedAddedAndRemovedSortedByName) {
  const Listing old = Parsed(Record("D.TXT", "00000004", "         4") + Record("A.TXT", "00000001", "         1") +
                             Record("B.TXT", "00000002", "         2") + Record("C.TXT", "00000003", "         3"));
  // Made with another width and layout: compared by name, size and CRC-32.
  const Listing now = Parsed(
      "A.TXT,00000001,          1,\n"
      "B.TXT,0000000B,          2,\n"
      "C.TXT,00000003,         33,\n"
      "E.TXT,00000005,          5,\n");
  const std::vector<std::string> expected = {
      "CHANGED B.TXT: CRC 00000002 -> 0000000B, size 2 -> 2",
      "CHANGED C.TXT: CRC 00000003 -> 00000003, size 3 -> 33",
      "REMOVED D.TXT",
      "ADDED E.TXT",
  };
  EXPECT_EQ(Lines(CompareListings(old, now)), expected);
  EXPECT_TRUE(CompareListings(old, old).empty());
}

TEST(CompareListings, SfvNamesKeepTheirCaseAndRepeatedNamesPairInOrder) {
  const Listing old = Parsed("; old\na.txt 00000001\nA.txt 00000002\nx 00000003\nx 00000004\n");
  const Listing now = Parsed("; new\nA.txt 00000002\nx 00000003\nx 00000009\n");
  const std::vector<std::string> expected = {
      "REMOVED a.txt",
      "CHANGED x: CRC 00000004 -> 00000009",
  };
  EXPECT_EQ(Lines(CompareListings(old, now)), expected);
}

TEST(CompareListings, RecordsAndSfvLinesMeetUpperCased) {
  const Listing records = Parsed(Record("SUB/A.TXT", "CRCERROR", "         1"));
  const Listing sfv = Parsed("sub/a.txt 00000001\n");
  const std::vector<std::string> expected = {"CHANGED sub/a.txt: CRC CRCERROR -> 00000001"};
  EXPECT_EQ(Lines(CompareListings(records, sfv)), expected);
}

}  // namespace
}  // namespace korven
