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

// What the window tells about an image's flash memory, in radtool's own words: "e-flash",
// "serial flash, image date 12/31/2010" (the date as the window shows it), "serial flash, no
// image date". The window shows no text for NAND and other values; for them this names the
// kind ("NAND flash", "unknown kind (byte 2 is 7)").
std::string FlashDescription(const RadHeader& header);
