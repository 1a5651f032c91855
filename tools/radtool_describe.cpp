#include "tools/radtool_describe.h"

#include <cstdio>

const char* RadVerdictName(RadVerdict verdict) {
  switch (verdict) {
    case RadVerdict::TooShort: return "too-short";
    case RadVerdict::NotAnImage: return "not-an-image";
    case RadVerdict::UartImage: return "uart-image";
    case RadVerdict::Accepted: return "accepted";
  }
  return "unknown";
}

const char* FlashMemoryName(std::uint8_t flashMemory) {
  switch (flashMemory) {
    case FLASH_EFLASH: return "e-flash";
    case FLASH_SERIAL: return "serial flash";
    case FLASH_NAND: return "NAND flash";
    default: return "unknown kind";
  }
}

std::string RefusalReason(RadVerdict verdict, std::size_t bytesRead, const RadHeader& header) {
  char text[160];
  switch (verdict) {
    case RadVerdict::TooShort:
      std::snprintf(text, sizeof text, "too short: %zu bytes, an image has at least %zu",
                    bytesRead, RAD_VALIDATION_LENGTH);
      return text;
    case RadVerdict::NotAnImage:
      std::snprintf(text, sizeof text, "not an image: byte 0 is 0x%02X, not 0x%02X",
                    static_cast<unsigned char>(header.magic), static_cast<unsigned>(RAD_MAGIC));
      return text;
    case RadVerdict::UartImage:
      return "UART image (port 0): only USB images are sent";
    case RadVerdict::Accepted:
      break;
  }
  return "";
}

std::string FlashDescription(const RadHeader& header) {
  char text[64];
  switch (header.flashMemory) {
    case FLASH_EFLASH:
      return "e-flash";
    case FLASH_SERIAL:
      if (!RadDatePresent(header)) return "serial flash, no image date";
      return "serial flash, image date " + FormatRadDate(header);
    case FLASH_NAND:
      return "NAND flash";
    default:
      std::snprintf(text, sizeof text, "unknown kind (byte 2 is %u)",
                    static_cast<unsigned>(header.flashMemory));
      return text;
  }
}
