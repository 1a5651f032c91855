// Reading lang.ini: the rules of the platform's initialisation-file reader, one case a row.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "platform/profile.h"
#include "platform/text.h"

namespace {

std::string TempFile(const std::string& name, const std::string& content) {
  const std::string path = ::testing::TempDir() + name;
  std::ofstream(path, std::ios::binary) << content;
  return path;
}

std::string Lookup(const std::string& path, const char* section, const char* key, const char* def = "") {
  char buffer[260];
  os::GetPrivateProfileStringA(section, key, def, buffer, sizeof buffer, path.c_str());
  return buffer;
}

struct Case {
  const char* what;
  std::string content;
  const char* section;
  const char* key;
  std::string expected;
};

TEST(ProfileReader, FollowsTheInitialisationFileRules) {
  const std::string longValue(300, 'x');
  // 258 ASCII bytes, then a 3-byte character that would end past the 259-byte limit.
  const std::string hangulAtCut = std::string(258, 'a') + "\xED\x95\x9C" + "b";
  const Case cases[] = {
      {"plain value", "[title]\n100=Download\n", "title", "100", "Download"},
      {"section case ignored", "[TiTLe]\n100=x\n", "title", "100", "x"},
      {"key case ignored", "[message]\nAbC=y\n", "MESSAGE", "abc", "y"},
      {"blanks around names and value", "  [ title ]  \n  100  =   spaced out  \n", "title", "100", "spaced out"},
      {"double quotes removed, inside kept", "[t]\nk=\"  in quotes  \"\n", "t", "k", "  in quotes  "},
      {"single quotes removed", "[t]\nk='a b'\n", "t", "k", "a b"},
      {"unmatched quotes kept", "[t]\nk=\"a b'\n", "t", "k", "\"a b'"},
      {"only one pair removed", "[t]\nk=\"\"x\"\"\n", "t", "k", "\"x\""},
      {"semicolon line is a comment", "[t]\n;k=no\nk=yes\n", "t", "k", "yes"},
      {"indented semicolon is a comment", "[t]\n   ; k=no\nk=yes\n", "t", "k", "yes"},
      {"hash is no comment", "[t]\n#k=no\nk=yes\n", "t", "#k", "no"},
      {"lines before the first section give nothing", "k=early\n[t]\n", "t", "k", "(default)"},
      {"lines without equals give nothing", "[t]\nk\nk yes\n", "t", "k", "(default)"},
      {"first matching section wins", "[t]\na=1\n[t]\nk=second\n", "t", "k", "(default)"},
      {"first matching key wins", "[t]\nk=first\nk=second\n", "t", "k", "first"},
      {"key of another section not taken", "[a]\nk=a\n[b]\nj=b\n", "b", "k", "(default)"},
      {"CR-LF line ends", "[t]\r\nk=crlf\r\nj=2\r\n", "t", "k", "crlf"},
      {"byte-order mark skipped", "\xEF\xBB\xBF[t]\nk=bom\n", "t", "k", "bom"},
      {"missing section", "[t]\nk=v\n", "nope", "k", "(default)"},
      {"missing key", "[t]\nk=v\n", "t", "nope", "(default)"},
      {"empty value is a value", "[t]\nk=\n", "t", "k", ""},
      {"percent signs kept", "[t]\nk=%s %n %% %d\n", "t", "k", "%s %n %% %d"},
      {"value cut to 259 bytes", "[t]\nk=" + longValue + "\n", "t", "k", longValue.substr(0, 259)},
      {"never cut inside a UTF-8 character", "[t]\nk=" + hangulAtCut + "\n", "t", "k", std::string(258, 'a')},
      {"no line end at the end", "[t]\nk=last", "t", "k", "last"},
      {"empty file", "", "t", "k", "(default)"},
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::string path = TempFile("profile-" + std::to_string(n++) + ".ini", c.content);
    EXPECT_EQ(Lookup(path, c.section, c.key, "(default)"), c.expected) << c.what;
  }
}

TEST(ProfileReader, MissingFileGivesTheDefault) {
  EXPECT_EQ(Lookup(::testing::TempDir() + "does-not-exist.ini", "t", "k", "dflt"), "dflt");
  EXPECT_EQ(Lookup(::testing::TempDir(), "t", "k", "dflt"), "dflt");  // a directory
}

TEST(ProfileReader, SeesTheFileAsItIsAtEachLookup) {
  const std::string path = TempFile("edited.ini", "[message]\n1024=before\n");
  EXPECT_EQ(Lookup(path, "message", "1024"), "before");
  TempFile("edited.ini", "[message]\n1024=after\n");
  EXPECT_EQ(Lookup(path, "message", "1024"), "after");
}

TEST(ProfileReader, SurvivesBinaryAndHugeFiles) {
  std::string binary;
  for (int i = 0; i < 70000; ++i) binary.push_back(static_cast<char>((i * 7919) & 0xFF));
  EXPECT_EQ(Lookup(TempFile("binary.ini", binary), "title", "100", "d"), "d");

  // Megabytes of entries, the wanted key at the very end; and one line of a few megabytes.
  std::string big = "[message]\n";
  while (big.size() < 4u * 1024 * 1024) big += "9999=padding padding padding padding\n";
  big += "1024=found\n";
  EXPECT_EQ(Lookup(TempFile("big.ini", big), "message", "1024"), "found");
  const std::string longLine = "[t]\nk=" + std::string(3u * 1024 * 1024, 'z') + "\n";
  EXPECT_EQ(Lookup(TempFile("longline.ini", longLine), "t", "k"), std::string(259, 'z'));
}

TEST(ProfileReader, SpecialFilesCountAsMissing) {
  // A FIFO would block the reader until someone writes; /dev/zero would never end a line.
  const std::string fifo = ::testing::TempDir() + "fifo-lang.ini";
  std::remove(fifo.c_str());
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(Lookup(fifo, "title", "100", "d"), "d");
  std::remove(fifo.c_str());
  EXPECT_EQ(Lookup("/dev/zero", "title", "100", "d"), "d");
}

TEST(ProfileReader, TinyBuffersStayTerminated) {
  const std::string path = TempFile("tiny.ini", "[t]\nk=abcdef\n");
  char buffer[4] = {'#', '#', '#', '#'};
  EXPECT_EQ(os::GetPrivateProfileStringA("t", "k", "", buffer, 4, path.c_str()), 3u);
  EXPECT_STREQ(buffer, "abc");
  char one[1] = {'#'};
  EXPECT_EQ(os::GetPrivateProfileStringA("t", "k", "", one, 1, path.c_str()), 0u);
  EXPECT_EQ(one[0], '\0');
}

}  // namespace

namespace {

// Cutting text to whole characters, as every text cut to fit a buffer is.
TEST(WholeCharacterPrefix, NeverEndsInPartOfACharacter) {
  struct Case {
    const char* what;
    std::string text;
    size_t expected;
  };
  const std::string han = "\xED\x95\x9C";         // 3 bytes
  const std::string emoji = "\xF0\x9F\x98\x80";   // 4 bytes
  const Case cases[] = {
      {"empty", "", 0},
      {"ASCII", "abc", 3},
      {"ends on a whole 3-byte character", "ab" + han, 5},
      {"1 of 3 bytes", "ab" + han.substr(0, 1), 2},
      {"2 of 3 bytes", "ab" + han.substr(0, 2), 2},
      {"3 of 4 bytes", "a" + emoji.substr(0, 3), 1},
      {"whole 4-byte character", "a" + emoji, 5},
      {"2-byte character cut", "x\xC3", 1},
      {"stray continuation bytes are kept", "a\x80\x80", 3},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(os::WholeCharacterPrefix(c.text.data(), c.text.size()), c.expected) << c.what;
  }
}

}  // namespace
