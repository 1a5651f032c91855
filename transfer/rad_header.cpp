#include "transfer/rad_header.h"

#include <cstdio>

namespace {

// Fields stand at unaligned offsets, so they are assembled byte by byte, never cast in place.
std::uint32_t LittleEndian32(const unsigned char* at) {
  return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
         static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

// Two's-complement reinterpretation without relying on implementation-defined conversion.
std::int32_t Signed32(std::uint32_t value) {
  return value <= 0x7FFFFFFFu ? static_cast<std::int32_t>(value)
                              : -static_cast<std::int32_t>(~value) - 1;
}

std::int8_t Signed8(unsigned char value) {
  return value <= 0x7F ? static_cast<std::int8_t>(value)
                       : static_cast<std::int8_t>(static_cast<int>(value) - 256);
}

}  // namespace

RadHeader DecodeRadHeader(const unsigned char (&bytes)[RAD_VALIDATION_LENGTH]) {
  RadHeader header;
  header.magic = static_cast<char>(Signed8(bytes[0]));
  header.port = bytes[1];
  header.flashMemory = bytes[2];
  header.startAddress = LittleEndian32(bytes + 3);
  header.fileSize = Signed32(LittleEndian32(bytes + 7));
  header.packetCount = Signed32(LittleEndian32(bytes + 11));
  header.dateFirst = Signed8(bytes[1024]);
  header.dateSecond = Signed8(bytes[1026]);
  header.dateYear = Signed8(bytes[1027]);
  return header;
}

RadVerdict JudgeRadImage(std::size_t bytesRead, const RadHeader& header) {
  if (bytesRead < RAD_VALIDATION_LENGTH) return RadVerdict::TooShort;
  if (header.magic != RAD_MAGIC) return RadVerdict::NotAnImage;
  if (header.port == 0) return RadVerdict::UartImage;
  return RadVerdict::Accepted;
}

bool RadDatePresent(const RadHeader& header) {
  return header.flashMemory == FLASH_SERIAL && ((header.startAddress >> 16) & 0xFFu) != 0;
}

std::string FormatRadDate(const RadHeader& header) {
  // Longest text: "-128/-128/1872" (14 characters).
  char text[32];
  std::snprintf(text, sizeof text, "%d/%d/%d", static_cast<int>(header.dateFirst),
                static_cast<int>(header.dateSecond), 2000 + static_cast<int>(header.dateYear));
  return text;
}
