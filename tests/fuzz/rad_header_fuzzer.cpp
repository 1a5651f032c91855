// libFuzzer target: any bytes, taken as what the validation read of a file returned, go through
// decoding, acceptance, the date rule and the date text. Sanitizers catch memory and undefined
// behaviour faults; the checks below catch answers that break the acceptance rules.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "transfer/rad_header.h"

namespace {

void Check(bool holds, const char* what) {
  if (!holds) {
    std::fprintf(stderr, "rule broken: %s\n", what);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The window reads at most 1028 bytes; a longer file gives the same read.
  const std::size_t bytesRead = size < RAD_VALIDATION_LENGTH ? size : RAD_VALIDATION_LENGTH;
  unsigned char bytes[RAD_VALIDATION_LENGTH] = {};
  std::memcpy(bytes, data, bytesRead);

  RadHeader header;
  if (bytesRead == RAD_VALIDATION_LENGTH) header = DecodeRadHeader(bytes);
  const RadVerdict verdict = JudgeRadImage(bytesRead, header);

  if (bytesRead < RAD_VALIDATION_LENGTH) {
    Check(verdict == RadVerdict::TooShort, "a short read is too short");
    return 0;
  }
  Check(verdict != RadVerdict::TooShort, "a full read is never too short");
  Check((verdict == RadVerdict::NotAnImage) == (bytes[0] != 0x24), "magic rule");
  Check(verdict != RadVerdict::UartImage || bytes[1] == 0, "port rule");
  Check(verdict != RadVerdict::Accepted || (bytes[0] == 0x24 && bytes[1] != 0), "acceptance");
  Check(RadDatePresent(header) == (bytes[2] == FLASH_SERIAL && bytes[5] != 0), "date rule");

  // The date text reads back as the three signed date bytes.
  const std::string date = FormatRadDate(header);
  int first = 0, second = 0, year = 0;
  char rest = 0;
  Check(std::sscanf(date.c_str(), "%d/%d/%d%c", &first, &second, &year, &rest) == 3,
        "date text has three numbers");
  Check(first == static_cast<std::int8_t>(bytes[1024]) &&
            second == static_cast<std::int8_t>(bytes[1026]) &&
            year == 2000 + static_cast<std::int8_t>(bytes[1027]),
        "date text matches the date bytes");
  return 0;
}
