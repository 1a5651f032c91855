// radtool info: reads an image's first 1028 bytes the way the window does, and shows what the
// window would decide and show.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "tools/radtool_command.h"
#include "tools/radtool_describe.h"
#include "transfer/rad_header.h"

namespace {

constexpr char kUsage[] =
    "Usage: radtool info [--json] FILE\n"
    "\n"
    "Reads the first 1028 bytes of FILE in one read, as the upgrade window does, and shows the\n"
    "decoded header fields, the image date and the verdict.\n"
    "\n"
    "  --json   print one JSON object:\n"
    "           {\"verdict\": \"accepted\" | \"too-short\" | \"not-an-image\" | \"uart-image\",\n"
    "            \"size\": <file length>, \"magic\": n, \"port\": n, \"flashMemory\": n,\n"
    "            \"startAddress\": n, \"fileSize\": n, \"packetCount\": n, \"dateFirst\": n,\n"
    "            \"dateSecond\": n, \"dateYear\": n, \"date\": \"12/31/2010\" | null}\n"
    "           Only verdict and size are printed for a file that is too short.\n"
    "           \"date\" is set whenever a serial-flash image carries a date, whatever the\n"
    "           verdict.\n"
    "\n"
    "Exit status: 0 accepted, 1 refused, 2 usage or I/O error.\n";

// What the validation read of one file found.
struct ValidationRead {
  unsigned char bytes[RAD_VALIDATION_LENGTH] = {};
  std::size_t bytesRead = 0;
  std::uintmax_t fileLength = 0;
};

// Reads the first 1028 bytes of path in one read, and its length. On failure returns false with
// a one-line reason naming the file in *error.
bool ReadValidationBytes(const std::string& path, ValidationRead* read, std::string* error) {
  // Only a regular file: a FIFO or a device would block the read or never end it.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    *error = "cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    *error = "cannot read " + path + ": " + (S_ISDIR(st.st_mode) ? "Is a directory" : "not a regular file");
    return false;
  }
  std::FILE* file = fdopen(fd, "rb");
  if (file == nullptr) {
    close(fd);
    *error = "cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  read->bytesRead = std::fread(read->bytes, 1, sizeof read->bytes, file);
  const bool failed = std::ferror(file) != 0;
  const int readErrno = errno;
  std::fclose(file);
  if (failed) {
    *error = "cannot read " + path + ": " + std::strerror(readErrno);
    return false;
  }
  std::error_code code;
  read->fileLength = std::filesystem::file_size(path, code);
  if (code) {
    *error = "cannot get the length of " + path + ": " + code.message();
    return false;
  }
  return true;
}

void PrintJson(const ValidationRead& read, RadVerdict verdict, const RadHeader& header) {
  std::printf("{\"verdict\": \"%s\", \"size\": %ju", RadVerdictName(verdict), read.fileLength);
  if (verdict != RadVerdict::TooShort) {
    std::printf(", \"magic\": %u, \"port\": %u, \"flashMemory\": %u, \"startAddress\": %" PRIu32
                ", \"fileSize\": %" PRId32 ", \"packetCount\": %" PRId32
                ", \"dateFirst\": %d, \"dateSecond\": %d, \"dateYear\": %d, \"date\": ",
                static_cast<unsigned>(static_cast<unsigned char>(header.magic)),
                static_cast<unsigned>(header.port), static_cast<unsigned>(header.flashMemory),
                header.startAddress, header.fileSize, header.packetCount,
                static_cast<int>(header.dateFirst), static_cast<int>(header.dateSecond),
                static_cast<int>(header.dateYear));
    if (RadDatePresent(header)) {
      std::printf("\"%s\"", FormatRadDate(header).c_str());
    } else {
      std::printf("null");
    }
  }
  std::printf("}\n");
}

void PrintForPeople(const std::string& path, const ValidationRead& read, RadVerdict verdict,
                    const RadHeader& header) {
  std::printf("File           %s (%ju bytes)\n", path.c_str(), read.fileLength);
  if (verdict != RadVerdict::TooShort) {
    const unsigned char magic = static_cast<unsigned char>(header.magic);
    std::printf("Magic          0x%02X", static_cast<unsigned>(magic));
    if (std::isprint(magic)) std::printf(" '%c'", magic);
    std::printf("\nPort           %u (%s)\n", static_cast<unsigned>(header.port),
                header.port == 0 ? "UART" : "USB");
    std::printf("Flash memory   %u (%s)\n", static_cast<unsigned>(header.flashMemory),
                FlashMemoryName(header.flashMemory));
    if (header.flashMemory == FLASH_NAND) {
      // NAND images count 512-byte units; the byte address needs more than 32 bits.
      std::printf("Start address  0x%08" PRIX32 " (512-byte units: byte address 0x%" PRIX64 ")\n",
                  header.startAddress, static_cast<std::uint64_t>(header.startAddress) << 9);
    } else {
      std::printf("Start address  0x%08" PRIX32 "\n", header.startAddress);
    }
    std::printf("File size      %" PRId32 " (as recorded)\n", header.fileSize);
    std::printf("Packet count   %" PRId32 " (as recorded)\n", header.packetCount);
    std::printf("Date bytes     %d %d %d\n", static_cast<int>(header.dateFirst),
                static_cast<int>(header.dateSecond), static_cast<int>(header.dateYear));
    if (RadDatePresent(header)) {
      std::printf("Date           %s\n", FormatRadDate(header).c_str());
    } else if (header.flashMemory == FLASH_SERIAL) {
      std::printf("Date           none (bits 16 to 23 of the start address are 0)\n");
    } else {
      std::printf("Date           none (only serial-flash images carry one)\n");
    }
  }
  if (verdict == RadVerdict::Accepted) {
    std::printf("Verdict        accepted\n");
  } else {
    std::printf("Verdict        refused: %s\n", RefusalReason(verdict, read.bytesRead, header).c_str());
  }
}

int RunInfo(const std::vector<std::string>& args) {
  bool json = false;
  std::vector<std::string> files;
  bool optionsEnded = false;
  for (const std::string& arg : args) {
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && arg == "--json") {
      json = true;
    } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
      std::fprintf(stderr, "radtool info: unknown option '%s' (see radtool info --help)\n",
                   arg.c_str());
      return kExitUsage;
    } else {
      files.push_back(arg);
    }
  }
  if (files.size() != 1) {
    std::fprintf(stderr, "radtool info: expected one FILE, got %zu (see radtool info --help)\n",
                 files.size());
    return kExitUsage;
  }

  ValidationRead read;
  std::string error;
  if (!ReadValidationBytes(files[0], &read, &error)) {
    std::fprintf(stderr, "radtool info: %s\n", error.c_str());
    return kExitUsage;
  }
  // Like the window, nothing is decoded from a read that came back short.
  RadHeader header;
  if (read.bytesRead == RAD_VALIDATION_LENGTH) header = DecodeRadHeader(read.bytes);
  const RadVerdict verdict = JudgeRadImage(read.bytesRead, header);

  if (json) {
    PrintJson(read, verdict, header);
  } else {
    PrintForPeople(files[0], read, verdict, header);
  }
  return verdict == RadVerdict::Accepted ? kExitSuccess : kExitRefused;
}

}  // namespace

const RadtoolCommand kInfoCommand = {
    "info",
    "show an image's header, date and verdict as the upgrade window judges them",
    kUsage,
    RunInfo,
};
