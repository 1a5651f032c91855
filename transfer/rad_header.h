#pragma once
// Layout and acceptance rules of a firmware image (.rad): a 1024-byte header, then the body.
// Plain code with no platform calls and no I/O, shared by the upgrade window and radtool.

#include <cstddef>
#include <cstdint>
#include <string>

// The header occupies bytes 0 to 1023; the body runs from byte 1024 to the end of the file.
constexpr std::size_t RAD_HEADER_LENGTH = 1024;
// The validation read takes the header plus the first four bytes of the body (the image date).
constexpr std::size_t RAD_VALIDATION_LENGTH = 1028;
// Header bytes 0 to 19 go to the device ahead of the body.
constexpr std::size_t RAD_PREAMBLE_LENGTH = 20;
// Byte 0 of every acceptable image: the character '$'.
constexpr char RAD_MAGIC = 0x24;

// Values of the flash memory byte that the tool describes; every other value is allowed too.
constexpr std::uint8_t FLASH_EFLASH = 1;
constexpr std::uint8_t FLASH_SERIAL = 2;
constexpr std::uint8_t FLASH_NAND = 3;

// The decoded fields of an image's first 1028 bytes, in file order.
struct RadHeader {
  char magic = 0;                  // byte 0
  std::uint8_t port = 0;           // byte 1: 0 = UART, anything else = USB
  std::uint8_t flashMemory = 0;    // byte 2
  std::uint32_t startAddress = 0;  // bytes 3-6; NAND images count 512-byte units
  std::int32_t fileSize = 0;       // bytes 7-10, as recorded; never compared with the file
  std::int32_t packetCount = 0;    // bytes 11-14, as recorded
  std::int8_t dateFirst = 0;       // byte 1024
  std::int8_t dateSecond = 0;      // byte 1026 (byte 1025 is never read)
  std::int8_t dateYear = 0;        // byte 1027: years after 2000
};

// The four outcomes of acceptance; the first rule that fails decides.
enum class RadVerdict {
  TooShort,    // the validation read returned fewer than 1028 bytes
  NotAnImage,  // byte 0 is not RAD_MAGIC
  UartImage,   // port 0: only USB images are sent
  Accepted,
};

// Decodes the first 1028 bytes of an image. Every byte pattern decodes: multi-byte fields are
// little-endian at unaligned offsets, the date bytes are signed.
RadHeader DecodeRadHeader(const unsigned char (&bytes)[RAD_VALIDATION_LENGTH]);

// Judges an image by its validation read: bytesRead is what that read returned. When it is
// short of 1028 the header is not looked at (it was never decoded), so any value may be passed.
// The window shows the flash-memory text between the magic and the port rule, so it acts on
// NotAnImage before that text and on UartImage after it.
RadVerdict JudgeRadImage(std::size_t bytesRead, const RadHeader& header);

// Whether a serial-flash image carries a date: byte 5 of the file, which is bits 16 to 23 of
// startAddress, is not 0. Images of every other kind of flash memory never carry one.
bool RadDatePresent(const RadHeader& header);

// The date as stored, "dateFirst/dateSecond/year" with year = 2000 + dateYear, in signed decimal
// without leading zeros: 12/31/2010, -1/-1/1872.
std::string FormatRadDate(const RadHeader& header);
