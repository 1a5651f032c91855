#pragma once
// Words in which radtool describes an image to people and scripts; shared by its commands.

#include <cstddef>
#include <cstdint>
#include <string>

#include "transfer/rad_header.h"

// The verdict as a script reads it: "accepted", "too-short", "not-an-image", "uart-image".
const char* RadVerdictName(RadVerdict verdict);

// The kind of flash memory: "e-flash", "serial flash", "NAND flash", or "unknown kind".
const char* FlashMemoryName(std::uint8_t flashMemory);

// Why an image is refused, in one line for a person; empty for an accepted image.
// bytesRead is what the validation read returned.
std::string RefusalReason(RadVerdict verdict, std::size_t bytesRead, const RadHeader& header);
