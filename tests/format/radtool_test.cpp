// radtool run as a separate program, as scripts and people use it: `info` on the sample images,
// `make` followed by `info`, and the refusals of both.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

namespace {

using devicetest::IsOneLine;
using devicetest::ProgramResult;
using devicetest::ReadWholeFile;
using devicetest::RunProgram;
using devicetest::TempDir;

const std::string kRadtool = std::string(DOWNLOAD_BIN_DIR) + "/radtool";
const std::string kSamples = DOWNLOAD_SAMPLES_DIR;

ProgramResult Radtool(const std::vector<std::string>& args, const TempDir& scratch) {
  return RunProgram(kRadtool, args, scratch.path());
}

// ---- info --json on the samples that the build makes ----

struct SampleCase {
  const char* file;
  int exitCode;
  const char* json;
};

const SampleCase kSampleCases[] = {
    {"eflash.rad", 0,
     R"({"verdict": "accepted", "size": 66560, "magic": 36, "port": 1, "flashMemory": 1, "startAddress": 8192, "fileSize": 66560, "packetCount": 32, "dateFirst": 0, "dateSecond": 0, "dateYear": 0, "date": null})"},
    {"serial-flash-dated.rad", 0,
     R"({"verdict": "accepted", "size": 5120, "magic": 36, "port": 1, "flashMemory": 2, "startAddress": 65536, "fileSize": 5120, "packetCount": 2, "dateFirst": 12, "dateSecond": 31, "dateYear": 10, "date": "12/31/2010"})"},
    {"serial-flash-undated.rad", 0,
     R"({"verdict": "accepted", "size": 5120, "magic": 36, "port": 1, "flashMemory": 2, "startAddress": 65535, "fileSize": 5120, "packetCount": 2, "dateFirst": 12, "dateSecond": 31, "dateYear": 10, "date": null})"},
    {"nand.rad", 0,
     R"({"verdict": "accepted", "size": 11024, "magic": 36, "port": 1, "flashMemory": 3, "startAddress": 64, "fileSize": 11024, "packetCount": 5, "dateFirst": 0, "dateSecond": 0, "dateYear": 0, "date": null})"},
    {"uart.rad", 1,
     R"({"verdict": "uart-image", "size": 5120, "magic": 36, "port": 0, "flashMemory": 2, "startAddress": 65536, "fileSize": 5120, "packetCount": 2, "dateFirst": 1, "dateSecond": 2, "dateYear": 11, "date": "1/2/2011"})"},
    {"bad-magic.rad", 1,
     R"({"verdict": "not-an-image", "size": 5120, "magic": 37, "port": 1, "flashMemory": 1, "startAddress": 0, "fileSize": 5120, "packetCount": 2, "dateFirst": 0, "dateSecond": 0, "dateYear": 0, "date": null})"},
    {"too-short-1027.rad", 1, R"({"verdict": "too-short", "size": 1027})"},
};

// Test listings show the case's name rather than its bytes.
void PrintTo(const SampleCase& c, std::ostream* os) { *os << c.file; }

class RadtoolSampleTest : public testing::TestWithParam<SampleCase> {};

TEST_P(RadtoolSampleTest, InfoJsonDescribesTheSample) {
  TempDir scratch;
  const SampleCase& c = GetParam();
  const ProgramResult result = Radtool({"info", "--json", kSamples + "/" + c.file}, scratch);
  EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
  EXPECT_EQ(result.out, std::string(c.json) + "\n");
  EXPECT_EQ(result.err, "");
}

INSTANTIATE_TEST_SUITE_P(Samples, RadtoolSampleTest, testing::ValuesIn(kSampleCases),
                         [](const testing::TestParamInfo<SampleCase>& info) {
                           std::string name = info.param.file;
                           name.erase(std::remove_if(name.begin(), name.end(),
                                                     [](char ch) { return !std::isalnum(static_cast<unsigned char>(ch)); }),
                                      name.end());
                           return name;
                         });

TEST(RadtoolInfoTest, TextNamesTheDateAndTheVerdict) {
  TempDir scratch;
  const ProgramResult dated = Radtool({"info", kSamples + "/serial-flash-dated.rad"}, scratch);
  EXPECT_EQ(dated.exitCode, 0);
  EXPECT_NE(dated.out.find("serial flash"), std::string::npos) << dated.out;
  EXPECT_NE(dated.out.find("Date           12/31/2010\n"), std::string::npos) << dated.out;
  EXPECT_NE(dated.out.find("Verdict        accepted\n"), std::string::npos) << dated.out;

  const ProgramResult uart = Radtool({"info", kSamples + "/uart.rad"}, scratch);
  EXPECT_EQ(uart.exitCode, 1);
  EXPECT_NE(uart.out.find("Date           1/2/2011\n"), std::string::npos) << uart.out;
  EXPECT_NE(uart.out.find("Verdict        refused: UART image"), std::string::npos) << uart.out;

  // Nothing is decoded from a short read, so no field is shown.
  const ProgramResult tooShort = Radtool({"info", kSamples + "/too-short-1027.rad"}, scratch);
  EXPECT_EQ(tooShort.exitCode, 1);
  EXPECT_EQ(tooShort.out.find("Magic"), std::string::npos) << tooShort.out;
  EXPECT_NE(tooShort.out.find("refused: too short: 1027 bytes"), std::string::npos) << tooShort.out;
}

// ---- info refusals of its arguments and I/O errors ----

TEST(RadtoolInfoTest, UsageAndIoErrorsExitTwoWithOneLineNamingTheFile) {
  TempDir scratch;
  const std::string missing = scratch.File("missing.rad");
  // A FIFO would block a plain open until someone writes to it.
  const std::string fifo = scratch.File("fifo.rad");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  struct ErrorCase {
    std::vector<std::string> args;
    std::string mentions;
  };
  const ErrorCase cases[] = {
      {{"info", missing}, missing + ": No such file or directory"},
      {{"info", "--json", missing}, missing},
      {{"info", scratch.path()}, scratch.path() + ": Is a directory"},
      {{"info", fifo}, fifo + ": not a regular file"},
      {{"info"}, "expected one FILE"},
      {{"info", kSamples + "/eflash.rad", kSamples + "/nand.rad"}, "expected one FILE"},
      {{"info", "--xml", kSamples + "/eflash.rad"}, "--xml"},
  };
  for (const ErrorCase& c : cases) {
    SCOPED_TRACE(c.args.back());
    const ProgramResult result = Radtool(c.args, scratch);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_TRUE(IsOneLine(result.err)) << result.err;
    EXPECT_NE(result.err.find(c.mentions), std::string::npos) << result.err;
  }
}

// ---- make, then info: the fields asked for come back ----

struct RoundTripCase {
  const char* name;
  std::vector<std::string> options;
  int exitCode;
  const char* json;
};

const RoundTripCase kRoundTrips[] = {
    {"Defaults", {}, 0,
     R"({"verdict": "accepted", "size": 5120, "magic": 36, "port": 1, "flashMemory": 1, "startAddress": 0, "fileSize": 5120, "packetCount": 2, "dateFirst": 0, "dateSecond": 0, "dateYear": 0, "date": null})"},
    {"SignedExtremesAndDateOnly",
     {"--port", "0x80", "--flash", "2", "--start-address", "0x10000", "--date", "-1/-1/1872",
      "--file-size", "-1", "--packet-count", "2147483647", "--body-size", "4"},
     0,
     R"({"verdict": "accepted", "size": 1028, "magic": 36, "port": 128, "flashMemory": 2, "startAddress": 65536, "fileSize": -1, "packetCount": 2147483647, "dateFirst": -1, "dateSecond": -1, "dateYear": -128, "date": "-1/-1/1872"})"},
    {"OtherExtremes",
     {"--port", "255", "--flash", "255", "--start-address", "4294967295", "--date",
      "127/-128/2127", "--file-size", "-2147483648", "--packet-count", "0", "--body-size", "2049"},
     0,
     R"({"verdict": "accepted", "size": 3073, "magic": 36, "port": 255, "flashMemory": 255, "startAddress": 4294967295, "fileSize": -2147483648, "packetCount": 0, "dateFirst": 127, "dateSecond": -128, "dateYear": 127, "date": null})"},
    {"EqualsFormAndSerialDate",
     {"--flash=2", "--start-address=0x00FF0000", "--date=12/31/2010", "--body-size=6000"}, 0,
     R"({"verdict": "accepted", "size": 7024, "magic": 36, "port": 1, "flashMemory": 2, "startAddress": 16711680, "fileSize": 7024, "packetCount": 3, "dateFirst": 12, "dateSecond": 31, "dateYear": 10, "date": "12/31/2010"})"},
    {"Uart", {"--port", "0", "--flash", "3", "--start-address", "0x10000"}, 1,
     R"({"verdict": "uart-image", "size": 5120, "magic": 36, "port": 0, "flashMemory": 3, "startAddress": 65536, "fileSize": 5120, "packetCount": 2, "dateFirst": 0, "dateSecond": 0, "dateYear": 0, "date": null})"},
    {"MagicZero", {"--magic", "0", "--port", "0"}, 1,
     R"({"verdict": "not-an-image", "size": 5120, "magic": 0, "port": 0, "flashMemory": 1, "startAddress": 0, "fileSize": 5120, "packetCount": 2, "dateFirst": 0, "dateSecond": 0, "dateYear": 0, "date": null})"},
    {"BodyOfThreeIsTooShort", {"--body-size", "3"}, 1, R"({"verdict": "too-short", "size": 1027})"},
    {"NoBodyIsTooShort", {"--body-size", "0"}, 1, R"({"verdict": "too-short", "size": 1024})"},
};

void PrintTo(const RoundTripCase& c, std::ostream* os) { *os << c.name; }

class RadtoolRoundTripTest : public testing::TestWithParam<RoundTripCase> {};

TEST_P(RadtoolRoundTripTest, InfoGivesBackWhatMakeWasAskedFor) {
  TempDir scratch;
  const RoundTripCase& c = GetParam();
  const std::string image = scratch.File("image.rad");
  std::vector<std::string> args = {"make", image};
  args.insert(args.end(), c.options.begin(), c.options.end());
  const ProgramResult made = Radtool(args, scratch);
  ASSERT_EQ(made.exitCode, 0) << made.err;
  EXPECT_EQ(made.err, "");

  const ProgramResult info = Radtool({"info", "--json", image}, scratch);
  EXPECT_EQ(info.exitCode, c.exitCode) << info.err;
  EXPECT_EQ(info.out, std::string(c.json) + "\n");
}

INSTANTIATE_TEST_SUITE_P(Images, RadtoolRoundTripTest, testing::ValuesIn(kRoundTrips),
                         [](const testing::TestParamInfo<RoundTripCase>& info) {
                           return info.param.name;
                         });

TEST(RadtoolMakeTest, BodyDependsOnTheSeedOnlyAndUnusedBytesAreZero) {
  TempDir scratch;
  const auto make = [&](const std::string& name, const std::string& seed) {
    const ProgramResult result =
        Radtool({"make", scratch.File(name), "--seed", seed, "--body-size", "9000",
                 "--date", "12/31/2010"},
                scratch);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    return ReadWholeFile(scratch.File(name));
  };
  const std::string first = make("a.rad", "9");
  const std::string again = make("b.rad", "9");
  const std::string other = make("c.rad", "10");
  ASSERT_EQ(first.size(), 1024u + 9000u);
  EXPECT_EQ(first, again);
  ASSERT_EQ(other.size(), first.size());
  EXPECT_EQ(other.substr(0, 1028), first.substr(0, 1028));
  EXPECT_NE(other.substr(1028), first.substr(1028));

  EXPECT_EQ(first.substr(15, 1024 - 15), std::string(1024 - 15, '\0'));
  EXPECT_EQ(first.substr(1024, 4), std::string("\x0C\x00\x1F\x0A", 4));
  // The body is not a constant fill: a stuck generator would repeat its first byte.
  const std::string body = first.substr(1028);
  EXPECT_NE(std::count(body.begin(), body.end(), body[0]), static_cast<long>(body.size()));
}

// ---- make refuses bad arguments and leaves OUT as it was ----

TEST(RadtoolMakeTest, RefusesBadArgumentsAndLeavesOutAlone) {
  struct RefusalCase {
    std::vector<std::string> options;
    std::string mentions;
  };
  const RefusalCase cases[] = {
      {{"--port", "256"}, "--port: '256' is out of range (0 to 255)"},
      {{"--port", "-1"}, "--port"},
      {{"--flash", "0x100"}, "--flash"},
      {{"--magic", "abc"}, "--magic: 'abc' is not a number"},
      {{"--magic", "12abc"}, "--magic"},
      {{"--magic", ""}, "--magic"},
      {{"--start-address", "0x100000000"}, "--start-address"},
      {{"--start-address", "-1"}, "--start-address"},
      {{"--file-size", "2147483648"}, "--file-size"},
      {{"--packet-count", "-2147483649"}, "--packet-count"},
      {{"--date", "1/2"}, "--date"},
      {{"--date", "1/2/2000/4"}, "--date"},
      {{"--date", "128/1/2000"}, "--date"},
      {{"--date", "1/-129/2000"}, "--date"},
      {{"--date", "1/1/1871"}, "--date"},
      {{"--date", "1/1/2128"}, "--date"},
      {{"--body-size", "-1"}, "--body-size"},
      {{"--body-size", "4294966272"}, "--body-size"},
      // Longer than the signed file size field can record, unless --file-size says what to put.
      {{"--body-size", "2147482624"}, "--file-size"},
      {{"--seed", "18446744073709551616"}, "--seed"},
      {{"--seed", "-1"}, "--seed"},
      {{"--bogus", "1"}, "--bogus: unknown option"},
      {{"--port"}, "--port needs a value"},
      {{"second.rad"}, "expected one OUT file, got 2"},
  };
  TempDir scratch;
  const std::string out = scratch.File("out.rad");
  for (const RefusalCase& c : cases) {
    SCOPED_TRACE(c.options.front() + " " + c.options.back());
    { std::ofstream(out, std::ios::binary) << "keep"; }
    std::vector<std::string> args = {"make", out};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const ProgramResult result = Radtool(args, scratch);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(IsOneLine(result.err)) << result.err;
    EXPECT_NE(result.err.find(c.mentions), std::string::npos) << result.err;
    EXPECT_EQ(ReadWholeFile(out), "keep");
    // Nothing else was left behind in the directory.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch.path()),
                            std::filesystem::directory_iterator()),
              1);
  }
}

TEST(RadtoolMakeTest, UnwritablePlaceExitsTwoNamingIt) {
  TempDir scratch;
  const std::string out = scratch.File("no-such-dir/out.rad");
  const ProgramResult result = Radtool({"make", out}, scratch);
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_TRUE(IsOneLine(result.err)) << result.err;
  EXPECT_NE(result.err.find(scratch.File("no-such-dir/")), std::string::npos) << result.err;
  EXPECT_FALSE(std::filesystem::exists(scratch.File("no-such-dir")));
}

TEST(RadtoolMakeTest, ReplacesAnExistingImage) {
  TempDir scratch;
  const std::string out = scratch.File("out.rad");
  { std::ofstream(out, std::ios::binary) << std::string(100000, 'x'); }
  const ProgramResult result = Radtool({"make", out, "--body-size", "4"}, scratch);
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(std::filesystem::file_size(out), 1028u);
}

// ---- help and dispatch ----

TEST(RadtoolTest, HelpForTheToolAndEachCommand) {
  TempDir scratch;
  const ProgramResult help = Radtool({"--help"}, scratch);
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("  info "), std::string::npos) << help.out;
  EXPECT_NE(help.out.find("  make "), std::string::npos) << help.out;

  for (const std::string command : {"info", "make"}) {
    const ProgramResult commandHelp = Radtool({command, "--help"}, scratch);
    EXPECT_EQ(commandHelp.exitCode, 0);
    EXPECT_EQ(commandHelp.out.rfind("Usage: radtool " + command, 0), 0u) << commandHelp.out;
  }
  // After "--" a name that looks like an option is a file name.
  const ProgramResult named = Radtool({"info", "--", "--help"}, scratch);
  EXPECT_EQ(named.exitCode, 2);
  EXPECT_NE(named.err.find("cannot open --help"), std::string::npos) << named.err;

  for (const std::vector<std::string>& args :
       {std::vector<std::string>{}, std::vector<std::string>{"flashh"}}) {
    const ProgramResult wrong = Radtool(args, scratch);
    EXPECT_EQ(wrong.exitCode, 2);
    EXPECT_FALSE(wrong.err.empty());
  }
}

}  // namespace
