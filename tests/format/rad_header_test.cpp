// Decoding and acceptance of image headers, over the cases where a wrong offset, sign, byte
// order or rule order would show.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "transfer/rad_header.h"

namespace {

struct Patch {
  std::size_t offset;
  std::vector<unsigned char> bytes;
};

struct Case {
  const char* name;
  std::size_t bytesRead;         // what the validation read returned
  std::vector<Patch> patches;    // changes to the base image below
  RadVerdict verdict;
  std::function<void(RadHeader&)> expectFields;  // changes to the base image's fields
  const char* date;              // the date text when a date is present, else nullptr
};

// Base image: a USB e-flash image with distinct, recognisable bytes in every field, date
// 12/31/2010, byte 1025 and the reserved bytes non-zero so that reading them by mistake shows.
void FillBase(unsigned char (&bytes)[RAD_VALIDATION_LENGTH]) {
  std::memset(bytes, 0xA5, sizeof bytes);
  const unsigned char head[15] = {0x24, 0x01, 0x01,              // magic, port, flash memory
                                  0x11, 0x22, 0x00, 0x44,        // start address 0x44002211
                                  0x04, 0x14, 0x00, 0x00,        // file size 5124
                                  0x03, 0x00, 0x00, 0x00};       // packet count 3
  std::memcpy(bytes, head, sizeof head);
  bytes[1024] = 12;
  bytes[1026] = 31;
  bytes[1027] = 10;
}

RadHeader BaseFields() {
  RadHeader header;
  header.magic = '$';
  header.port = 1;
  header.flashMemory = FLASH_EFLASH;
  header.startAddress = 0x44002211u;
  header.fileSize = 5124;
  header.packetCount = 3;
  header.dateFirst = 12;
  header.dateSecond = 31;
  header.dateYear = 10;
  return header;
}

const auto kSame = [](RadHeader&) {};
constexpr std::size_t kFull = RAD_VALIDATION_LENGTH;

const Case kCases[] = {
    // Length rule.
    {"Read1027IsTooShort", 1027, {}, RadVerdict::TooShort, kSame, nullptr},
    {"EmptyReadIsTooShort", 0, {}, RadVerdict::TooShort, kSame, nullptr},
    {"TooShortWinsOverBadMagic", 1027, {{0, {0x00}}, {1, {0x00}}}, RadVerdict::TooShort, kSame, nullptr},
    {"Read1028IsAccepted", kFull, {}, RadVerdict::Accepted, kSame, nullptr},

    // Magic rule, before the port rule.
    {"MagicNotDollarIsNotAnImage", kFull, {{0, {0x25}}}, RadVerdict::NotAnImage,
     [](RadHeader& h) { h.magic = 0x25; }, nullptr},
    {"MagicHighByteIsNotAnImage", kFull, {{0, {0xA4}}}, RadVerdict::NotAnImage,
     [](RadHeader& h) { h.magic = static_cast<char>(0xA4); }, nullptr},
    {"BadMagicWinsOverUartPort", kFull, {{0, {0x00}}, {1, {0x00}}}, RadVerdict::NotAnImage,
     [](RadHeader& h) { h.magic = 0; h.port = 0; }, nullptr},

    // Port rule: 0 is UART, every other value USB.
    {"Port0IsUart", kFull, {{1, {0x00}}}, RadVerdict::UartImage,
     [](RadHeader& h) { h.port = 0; }, nullptr},
    {"Port80IsUsb", kFull, {{1, {0x80}}}, RadVerdict::Accepted,
     [](RadHeader& h) { h.port = 0x80; }, nullptr},
    {"PortFFIsUsb", kFull, {{1, {0xFF}}}, RadVerdict::Accepted,
     [](RadHeader& h) { h.port = 0xFF; }, nullptr},
    {"UartSerialImageStillHasItsDate", kFull, {{1, {0x00}}, {2, {0x02}}, {3, {0, 0, 1, 0}}},
     RadVerdict::UartImage,
     [](RadHeader& h) { h.port = 0; h.flashMemory = FLASH_SERIAL; h.startAddress = 0x10000; },
     "12/31/2010"},

    // Flash memory values outside the three kinds pass acceptance.
    {"Flash0IsAccepted", kFull, {{2, {0}}}, RadVerdict::Accepted,
     [](RadHeader& h) { h.flashMemory = 0; }, nullptr},
    {"Flash4IsAccepted", kFull, {{2, {4}}}, RadVerdict::Accepted,
     [](RadHeader& h) { h.flashMemory = 4; }, nullptr},
    {"Flash255IsAccepted", kFull, {{2, {255}}}, RadVerdict::Accepted,
     [](RadHeader& h) { h.flashMemory = 255; }, nullptr},

    // Date rule: serial flash only, byte 5 (bits 16 to 23 of the start address) not 0.
    {"SerialByte5SetHasDate", kFull, {{2, {0x02}}, {3, {0x00, 0x00, 0x01, 0x00}}},
     RadVerdict::Accepted,
     [](RadHeader& h) { h.flashMemory = FLASH_SERIAL; h.startAddress = 0x00010000u; },
     "12/31/2010"},
    {"SerialLowBytesSetHasNoDate", kFull, {{2, {0x02}}, {3, {0xFF, 0xFF, 0x00, 0x00}}},
     RadVerdict::Accepted,
     [](RadHeader& h) { h.flashMemory = FLASH_SERIAL; h.startAddress = 0x0000FFFFu; }, nullptr},
    {"SerialTopByteSetHasNoDate", kFull, {{2, {0x02}}, {3, {0x00, 0x00, 0x00, 0x01}}},
     RadVerdict::Accepted,
     [](RadHeader& h) { h.flashMemory = FLASH_SERIAL; h.startAddress = 0x01000000u; }, nullptr},
    {"EflashByte5SetHasNoDate", kFull, {{3, {0x00, 0x00, 0x01, 0x00}}}, RadVerdict::Accepted,
     [](RadHeader& h) { h.startAddress = 0x00010000u; }, nullptr},
    {"NandByte5SetHasNoDate", kFull, {{2, {0x03}}, {3, {0x00, 0x00, 0x01, 0x00}}},
     RadVerdict::Accepted,
     [](RadHeader& h) { h.flashMemory = FLASH_NAND; h.startAddress = 0x00010000u; }, nullptr},
    {"Byte1025IsNotTheDateFlag", kFull, {{2, {0x02}}, {3, {0, 0, 0, 0}}, {1025, {0x01}}},
     RadVerdict::Accepted,
     [](RadHeader& h) { h.flashMemory = FLASH_SERIAL; h.startAddress = 0; }, nullptr},

    // Date bytes are signed; the year counts from 2000.
    {"DateBytesAreSigned", kFull,
     {{2, {0x02}}, {3, {0, 0, 1, 0}}, {1024, {0xFF, 0x00, 0xFF, 0x80}}}, RadVerdict::Accepted,
     [](RadHeader& h) {
       h.flashMemory = FLASH_SERIAL; h.startAddress = 0x10000;
       h.dateFirst = -1; h.dateSecond = -1; h.dateYear = -128;
     },
     "-1/-1/1872"},
    {"LargestYearIs2127", kFull, {{2, {0x02}}, {3, {0, 0, 0xFF, 0}}, {1024, {0x01, 0x7F, 0x80, 0x7F}}},
     RadVerdict::Accepted,
     [](RadHeader& h) {
       h.flashMemory = FLASH_SERIAL; h.startAddress = 0xFF0000;
       h.dateFirst = 1; h.dateSecond = -128; h.dateYear = 127;
     },
     "1/-128/2127"},

    // Multi-byte fields: little-endian at unaligned offsets; file size and packet count signed
    // and never compared with the file.
    {"StartAddressAllOnes", kFull, {{3, {0xFF, 0xFF, 0xFF, 0xFF}}}, RadVerdict::Accepted,
     [](RadHeader& h) { h.startAddress = 0xFFFFFFFFu; }, nullptr},
    {"NegativeFileSizeIsAccepted", kFull, {{7, {0xFF, 0xFF, 0xFF, 0xFF}}}, RadVerdict::Accepted,
     [](RadHeader& h) { h.fileSize = -1; }, nullptr},
    {"SmallestFileSizeIsAccepted", kFull, {{7, {0x00, 0x00, 0x00, 0x80}}}, RadVerdict::Accepted,
     [](RadHeader& h) { h.fileSize = INT32_MIN; }, nullptr},
    {"HugePacketCountIsAccepted", kFull, {{11, {0xFF, 0xFF, 0xFF, 0x7F}}}, RadVerdict::Accepted,
     [](RadHeader& h) { h.packetCount = INT32_MAX; }, nullptr},
    {"NegativePacketCountIsAccepted", kFull, {{11, {0x00, 0x00, 0x00, 0xFF}}}, RadVerdict::Accepted,
     [](RadHeader& h) { h.packetCount = -16777216; }, nullptr},

    // Bytes the tool never interprets change nothing.
    {"UnreadBytesChangeNothing", kFull,
     {{15, std::vector<unsigned char>(1009, 0x00)}, {1025, {0x00}}}, RadVerdict::Accepted, kSame,
     nullptr},
};

// Test listings show the case's name rather than its bytes.
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class RadHeaderTest : public testing::TestWithParam<Case> {};

TEST_P(RadHeaderTest, DecodesAndJudges) {
  const Case& c = GetParam();
  unsigned char bytes[RAD_VALIDATION_LENGTH];
  FillBase(bytes);
  for (const Patch& patch : c.patches) {
    ASSERT_LE(patch.offset + patch.bytes.size(), sizeof bytes);
    std::memcpy(bytes + patch.offset, patch.bytes.data(), patch.bytes.size());
  }

  // As the window does: nothing is decoded from a short read.
  RadHeader header;
  if (c.bytesRead == RAD_VALIDATION_LENGTH) header = DecodeRadHeader(bytes);
  EXPECT_EQ(JudgeRadImage(c.bytesRead, header), c.verdict);
  if (c.verdict == RadVerdict::TooShort) return;

  RadHeader expected = BaseFields();
  c.expectFields(expected);
  EXPECT_EQ(header.magic, expected.magic);
  EXPECT_EQ(header.port, expected.port);
  EXPECT_EQ(header.flashMemory, expected.flashMemory);
  EXPECT_EQ(header.startAddress, expected.startAddress);
  EXPECT_EQ(header.fileSize, expected.fileSize);
  EXPECT_EQ(header.packetCount, expected.packetCount);
  EXPECT_EQ(header.dateFirst, expected.dateFirst);
  EXPECT_EQ(header.dateSecond, expected.dateSecond);
  EXPECT_EQ(header.dateYear, expected.dateYear);

  EXPECT_EQ(RadDatePresent(header), c.date != nullptr);
  if (c.date != nullptr) {
    EXPECT_EQ(FormatRadDate(header), c.date);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, RadHeaderTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& info) { return info.param.name; });

}  // namespace
