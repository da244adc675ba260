#include "check/listing_reader.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace korven {
namespace {

std::string Padded(const std::string& name, size_t width) {
  return name + std::string(width > name.size() ? width - name.size() : 0, ' ');
}

Listing Parsed(const std::string& text) {
  Listing listing;
  std::string error;
  EXPECT_TRUE(ParseListing(text, &listing, &error)) << error << "\n" << text;
  return listing;
}

std::string Refused(const std::string& text) {
  Listing listing;
  std::string error;
  EXPECT_FALSE(ParseListing(text, &listing, &error)) << text;
  return error;
}

TEST(ListingReader, RecordsOfEveryLayout) {
  struct Case {
    const char* what;
    std::string line;     // one record of A/B.TXT (its name field as wide as given)
    uint64_t size;        // ~0 when the record holds none
    const char* timeText;  // the time and zone fields as written
    TimeKind kind;
    bool seconds;
    bool sortable;
    bool zulu;
    char delimiter = ' ';
  };
  const uint64_t none = ~uint64_t{0};
  const Case cases[] = {
      {"defaults", Padded("A/B.TXT", 35) + " CBF43926           9 03/07/2008 03:30w UTC \n", 9,
       "03/07/2008 03:30w UTC ", TimeKind::kWrite, false, false, false},
      {"-w 10", Padded("A/B.TXT", 10) + " CBF43926           9 03/07/2008 03:30w UTC \n", 9,
       "03/07/2008 03:30w UTC ", TimeKind::kWrite, false, false, false},
      {"a name that fills its field", "A/B.TXT CBF43926           9 03/07/2008 03:30w UTC \n", 9,
       "03/07/2008 03:30w UTC ", TimeKind::kWrite, false, false, false},
      {"-tW -Z", Padded("A/B.TXT", 35) + " CBF43926           9 03/07/2008 03:30:15w GMT \n", 9,
       "03/07/2008 03:30:15w GMT ", TimeKind::kWrite, true, false, true},
      {"-Ta", Padded("A/B.TXT", 35) + " CBF43926           9 2008/03/07 04:00a EST \n", 9,
       "2008/03/07 04:00a EST ", TimeKind::kAccess, false, true, false},
      {"-tC", Padded("A/B.TXT", 35) + " CBF43926           9 03/07/2008 03:30:15c EST \n", 9,
       "03/07/2008 03:30:15c EST ", TimeKind::kCreation, true, false, false},
      {"-t3",
       Padded("A/B.TXT", 35) +
           " CBF43926           9 00/00/1980 00:00:00c 03/07/2008 03:30:15w 03/07/2008 04:00:00a EST \n",
       9, "00/00/1980 00:00:00c 03/07/2008 03:30:15w 03/07/2008 04:00:00a EST ", TimeKind::kAllThree, true, false,
       false},
      {"-d , -8", Padded("A/B.TXT", 35) + ",CBF43926,          9,03/07/2008,03:30w, UT, b.txt          ,\n", 9,
       "03/07/2008,03:30w, UT,", TimeKind::kWrite, false, false, false, ','},
      {"-8 with a long name", Padded("A/B.TXT", 35) + " CBF43926           9 03/07/2008 03:30w UTC  a name, longer than 15 \n",
       9, "03/07/2008 03:30w UTC ", TimeKind::kWrite, false, false, false},
      {"-m", Padded("A/B.TXT", 35) + " CBF43926           9 \n", 9, "", TimeKind::kWrite, false, false, false},
      {"-m -8", Padded("A/B.TXT", 35) + " CBF43926           9  b.txt           \n", 9, "", TimeKind::kWrite, false,
       false, false},
      {"an 11-digit size", Padded("A/B.TXT", 35) + " CBF43926  12345678901 03/07/2008 03:30w UTC \n", 12345678901,
       "03/07/2008 03:30w UTC ", TimeKind::kWrite, false, false, false},
      {"a stream's 11-digit size", Padded("A/B.TXT", 35) + " CBF43926 12345678901 03/07/2008 03:30w UTC \n",
       12345678901, "03/07/2008 03:30w UTC ", TimeKind::kWrite, false, false, false},
      {"a failed -V ends after the CRC", Padded("A/B.TXT", 35) + " CBF43926 \n", none, "", TimeKind::kWrite, false,
       false, false},
      {"--variable", "A/B.TXT|CBF43926|          9|03/07/2008|03:30w|UTC|\n", 9, "03/07/2008|03:30w|UTC|",
       TimeKind::kWrite, false, false, false, '|'},
      {"CRLF line ends", Padded("A/B.TXT", 35) + " CBF43926           9 03/07/2008 03:30w UTC \r\n", 9,
       "03/07/2008 03:30w UTC ", TimeKind::kWrite, false, false, false},
  };
  for (const Case& c : cases) {
    Listing listing = Parsed(c.line);
    ASSERT_EQ(listing.files.size(), 1u) << c.what;
    const ListedFile& file = listing.files[0];
    EXPECT_EQ(listing.form, ListingForm::kRecords) << c.what;
    EXPECT_EQ(file.name, "A/B.TXT") << c.what;
    EXPECT_EQ(file.crcKind, ListedCrc::kValue) << c.what;
    EXPECT_EQ(file.crc, 0xCBF43926u) << c.what;
    EXPECT_EQ(file.hasSize, c.size != none) << c.what;
    if (c.size != none) {
      EXPECT_EQ(file.size, c.size) << c.what;
    }
    EXPECT_EQ(file.timeText, c.timeText) << c.what;
    EXPECT_EQ(file.hasTimes, *c.timeText != '\0') << c.what;
    if (file.hasTimes) {
      EXPECT_EQ(file.timeLayout.kind, c.kind) << c.what;
      EXPECT_EQ(file.timeLayout.seconds, c.seconds) << c.what;
      EXPECT_EQ(file.timeLayout.sortableDate, c.sortable) << c.what;
      EXPECT_EQ(file.timeLayout.zulu, c.zulu) << c.what;
      EXPECT_EQ(file.timeLayout.delimiter, c.delimiter) << c.what;
    }
  }
}

TEST(ListingReader, NameWidthIsTheOneEveryRecordOfARunShares) {
  // Taken alone, the second record parses with the name "X" too, the rest
  // of its name field and the fields after it standing for an 8.3 name.
  const std::string name = "X 0123ABCD           1";
  const std::string text = Padded("FIRST", 30) + " 0123ABCD           1 \n" +
                           Padded(name, 30) + " 89ABCDEF           2 \n";
  Listing listing = Parsed(text);
  ASSERT_EQ(listing.files.size(), 2u);
  EXPECT_EQ(listing.files[1].name, name);
  EXPECT_EQ(listing.files[1].crc, 0x89ABCDEFu);
  EXPECT_EQ(listing.files[1].line, 2);
}

TEST(ListingReader, TitleDashAndSummaryLinesArePassedOver) {
  const std::string record = Padded("A.TXT", 35) + " CBF43926           9 03/07/2008 03:30w UTC \n";
  const std::string text = std::string(13, ' ') + "  FILE: " + std::string(15, ' ') +
                           " CRC-32     Size      Date       Time\n" + std::string(73, '-') + "\n" + record +
                           "\n AUTOWIDTH -Mw= 37\n  1 directory, 1 files, 9 bytes: \n"
                           " (Includes 1 Alternate Data Streams And 0 directories holding data streams)\n"
                           "  Elapsed:  0 hrs. 0 mins. 0 secs.\n\n" +
                           " Processed 1 files, 9 bytes:  See continuation disk \n" +
                           // A run appended with another width.
                           Padded("B.TXT", 12) + " 00000000           0 03/07/2008 03:30w UTC \n";
  Listing listing = Parsed(text);
  ASSERT_EQ(listing.files.size(), 2u);
  EXPECT_EQ(listing.files[0].name, "A.TXT");
  EXPECT_EQ(listing.files[0].line, 3);
  EXPECT_EQ(listing.files[1].name, "B.TXT");
}

TEST(ListingReader, CrcErrorAndPathNameOnlyRecords) {
  Listing error = Parsed(Padded("A.TXT", 35) + " CRCERROR           9 03/07/2008 03:30w UTC \n");
  ASSERT_EQ(error.files.size(), 1u);
  EXPECT_EQ(error.files[0].crcKind, ListedCrc::kError);

  for (const std::string& text : {Padded("A.TXT", 35) + " \n" + Padded("SUB/B.TXT", 35) + " \n",
                                  Padded("A.TXT", 35) + ",\n" + "SUB/B.TXT,\n"}) {
    Listing names = Parsed(std::string(14, ' ') + "  FILE: \n" + text);
    ASSERT_EQ(names.files.size(), 2u) << text;
    EXPECT_EQ(names.files[0].name, "A.TXT");
    EXPECT_EQ(names.files[1].name, "SUB/B.TXT");
    EXPECT_EQ(names.files[1].crcKind, ListedCrc::kNone);
  }
}

TEST(ListingReader, SfvFiles) {
  Listing listing = Parsed(
      "; Generated by KORVEN on 2008-03-07 at 14:05:00\r\n"
      "sub/a file.txt CBF43926\r\n"
      ";comment\n"
      "\n"
      "b.txt\t\tcbf43926\n"
      "c.txt 0000ABCD");
  EXPECT_EQ(listing.form, ListingForm::kSfv);
  ASSERT_EQ(listing.files.size(), 3u);
  EXPECT_EQ(listing.files[0].name, "sub/a file.txt");
  EXPECT_EQ(listing.files[1].name, "b.txt");
  EXPECT_EQ(listing.files[1].crc, 0xCBF43926u);
  EXPECT_EQ(listing.files[2].crc, 0xABCDu);
  EXPECT_EQ(listing.files[2].line, 6);
  EXPECT_FALSE(listing.files[0].hasSize);
  // Without a comment, the first line tells.
  EXPECT_EQ(Parsed("a.txt CBF43926\n").form, ListingForm::kSfv);
}

TEST(ListingReader, BadLinesAreNamedByNumber) {
  const std::string record = Padded("A.TXT", 35) + " CBF43926           9 03/07/2008 03:30w UTC \n";
  struct Case {
    std::string text;
    const char* error;
  } cases[] = {
      {record + "just some text\n" + record, "line 2 is neither a listing record"},
      {record + Padded("B.TXT", 35) + " CBF4392G           9 03/07/2008 03:30w UTC \n",
       "line 2 is neither a listing record"},
      {"hello world\n", "line 1 is neither a listing record"},
      {"; made by hand\na.txt CBF43926\nb.txt CBF4392\n", "line 3 is not an SFV line"},
      {"; made by hand\nCBF43926\n", "line 2 is not an SFV line"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Refused(c.text).rfind(c.error, 0), 0u) << Refused(c.text);
  }
}

TEST(ListingReader, NoTextMakesItFail) {
  // Whatever the bytes, the reader comes back with entries or an error.
  std::mt19937 random(15);
  const std::string record = Padded("A.TXT", 35) + " CBF43926           9 03/07/2008 03:30w UTC \n";
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    const int pieces = static_cast<int>(random() % 6);
    for (int i = 0; i < pieces; ++i) {
      if (random() % 2 == 0) {
        text += record.substr(random() % record.size());
      } else {
        for (int n = static_cast<int>(random() % 40); n > 0; --n) text += static_cast<char>(random() % 256);
      }
    }
    Listing listing;
    std::string error;
    if (!ParseListing(text, &listing, &error)) {
      EXPECT_FALSE(error.empty());
    }
  }
}

}  // namespace
}  // namespace korven
