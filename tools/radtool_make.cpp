// radtool make: writes a firmware image with the header fields asked for and a deterministic
// pseudo-random body, so that tests and samples are made at build time, never committed.

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

#include "tools/radtool_command.h"
#include "tools/radtool_numbers.h"
#include "transfer/rad_header.h"

namespace {

constexpr char kUsage[] =
    "Usage: radtool make OUT [options]\n"
    "\n"
    "Writes an image to OUT: the 1024-byte header, the 4 date bytes (first number, an unused\n"
    "byte, second number, year - 2000), then a pseudo-random body that depends on --seed only.\n"
    "Numbers are decimal or 0x-prefixed hexadecimal. Bytes 15 to 1023 and byte 1025 are 0.\n"
    "\n"
    "  --port N           byte 1, 0 (UART) to 255 (default 1, USB)\n"
    "  --flash N          byte 2, flash memory: 1 e-flash, 2 serial flash, 3 NAND; 0 to 255\n"
    "                     (default 1)\n"
    "  --start-address N  bytes 3-6, 0 to 0xFFFFFFFF (default 0); a serial-flash image shows\n"
    "                     its date only when bits 16 to 23 are not 0, e.g. 0x10000\n"
    "  --file-size N      bytes 7-10, signed 32-bit (default: the length of OUT)\n"
    "  --packet-count N   bytes 11-14, signed 32-bit (default: the number of 2048-byte pieces\n"
    "                     of the body)\n"
    "  --date D/D/YYYY    bytes 1024, 1026 and 1027: two numbers of -128 to 127 and a year of\n"
    "                     1872 to 2127 (default 0/0/2000)\n"
    "  --body-size N      length of the body from byte 1024, date bytes included, 0 to\n"
    "                     4294966271 (default 4096); below 4 the date is cut short and the\n"
    "                     image is too short\n"
    "  --magic N          byte 0, 0 to 255 (default 0x24, '$')\n"
    "  --seed N           seed of the body, 0 to 2^64-1 (default 1)\n"
    "\n"
    "Exit status: 0 written, 2 bad option or I/O error (OUT is then left as it was).\n";

// The window counts a file's length in 32 unsigned bits, so no image may be longer.
constexpr std::uint64_t kMaxImageLength = 0xFFFFFFFFu;
constexpr std::uint64_t kPieceLength = 2048;  // the transfer sends the body in such pieces

struct MakeOptions {
  std::string out;
  std::uint8_t magic = static_cast<unsigned char>(RAD_MAGIC);
  std::uint8_t port = 1;
  std::uint8_t flashMemory = FLASH_EFLASH;
  std::uint32_t startAddress = 0;
  bool fileSizeGiven = false;
  std::int32_t fileSize = 0;
  bool packetCountGiven = false;
  std::int32_t packetCount = 0;
  std::int8_t dateFirst = 0;
  std::int8_t dateSecond = 0;
  std::int8_t dateYear = 0;
  std::uint64_t bodySize = 4096;
  std::uint64_t seed = 1;
};

// Deterministic bytes from a 64-bit seed: splitmix64 spreads the seed, xorshift64* runs from it.
class BodyBytes {
 public:
  explicit BodyBytes(std::uint64_t seed) {
    std::uint64_t z = seed + 0x9E3779B97F4A7C15u;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    z ^= z >> 31;
    state_ = z != 0 ? z : 0x9E3779B97F4A7C15u;  // xorshift never leaves 0
  }

  void Fill(unsigned char* out, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) {
      if (left_ == 0) {
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        word_ = state_ * 0x2545F4914F6CDD1Du;
        left_ = 8;
      }
      out[i] = static_cast<unsigned char>(word_);
      word_ >>= 8;
      --left_;
    }
  }

 private:
  std::uint64_t state_ = 0;
  std::uint64_t word_ = 0;
  int left_ = 0;
};

void PutLittleEndian32(unsigned char* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i));
}

// Signed fields are stored in two's complement.
std::uint32_t Unsigned32(std::int32_t value) { return static_cast<std::uint32_t>(value); }
unsigned char Unsigned8(std::int8_t value) { return static_cast<unsigned char>(value); }

bool ParseDate(const std::string& text, MakeOptions* options, std::string* error) {
  const std::size_t slash1 = text.find('/');
  const std::size_t slash2 = slash1 == std::string::npos ? slash1 : text.find('/', slash1 + 1);
  if (slash2 == std::string::npos || text.find('/', slash2 + 1) != std::string::npos) {
    *error = "'" + text + "' is not a date of the form D/D/YYYY";
    return false;
  }
  std::int64_t first = 0, second = 0, year = 0;
  if (!ParseInteger(text.substr(0, slash1), -128, 127, &first, error) ||
      !ParseInteger(text.substr(slash1 + 1, slash2 - slash1 - 1), -128, 127, &second, error) ||
      !ParseInteger(text.substr(slash2 + 1), 2000 - 128, 2000 + 127, &year, error)) {
    *error = "in date '" + text + "': " + *error;
    return false;
  }
  options->dateFirst = static_cast<std::int8_t>(first);
  options->dateSecond = static_cast<std::int8_t>(second);
  options->dateYear = static_cast<std::int8_t>(year - 2000);
  return true;
}

// Applies one option with its value; on failure *error holds the reason.
bool ApplyOption(const std::string& name, const std::string& value, MakeOptions* options,
                 std::string* error) {
  std::int64_t number = 0;
  if (name == "--port" || name == "--flash" || name == "--magic") {
    if (!ParseInteger(value, 0, 255, &number, error)) return false;
    std::uint8_t& field = name == "--port"    ? options->port
                          : name == "--flash" ? options->flashMemory
                                              : options->magic;
    field = static_cast<std::uint8_t>(number);
  } else if (name == "--start-address") {
    if (!ParseInteger(value, 0, 0xFFFFFFFF, &number, error)) return false;
    options->startAddress = static_cast<std::uint32_t>(number);
  } else if (name == "--file-size" || name == "--packet-count") {
    if (!ParseInteger(value, INT32_MIN, INT32_MAX, &number, error)) return false;
    if (name == "--file-size") {
      options->fileSize = static_cast<std::int32_t>(number);
      options->fileSizeGiven = true;
    } else {
      options->packetCount = static_cast<std::int32_t>(number);
      options->packetCountGiven = true;
    }
  } else if (name == "--date") {
    return ParseDate(value, options, error);
  } else if (name == "--body-size") {
    if (!ParseInteger(value, 0, kMaxImageLength - RAD_HEADER_LENGTH, &number, error)) return false;
    options->bodySize = static_cast<std::uint64_t>(number);
  } else if (name == "--seed") {
    return ParseUnsigned64(value, &options->seed, error);
  } else {
    *error = "unknown option";
    return false;
  }
  return true;
}

// Reads OUT and the options; on failure prints one line and returns false.
bool ParseArguments(const std::vector<std::string>& args, MakeOptions* options) {
  std::vector<std::string> outs;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      outs.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    std::string name = arg;
    std::string value;
    const std::size_t equals = arg.find('=');
    if (equals != std::string::npos) {
      name = arg.substr(0, equals);
      value = arg.substr(equals + 1);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      std::fprintf(stderr, "radtool make: %s needs a value (see radtool make --help)\n",
                   arg.c_str());
      return false;
    }
    std::string error;
    if (!ApplyOption(name, value, options, &error)) {
      std::fprintf(stderr, "radtool make: %s: %s (see radtool make --help)\n", name.c_str(),
                   error.c_str());
      return false;
    }
  }
  if (outs.size() != 1) {
    std::fprintf(stderr, "radtool make: expected one OUT file, got %zu (see radtool make --help)\n",
                 outs.size());
    return false;
  }
  options->out = outs[0];

  const std::uint64_t length = RAD_HEADER_LENGTH + options->bodySize;
  if (!options->fileSizeGiven) {
    if (length > static_cast<std::uint64_t>(INT32_MAX)) {
      std::fprintf(stderr,
                   "radtool make: the image length %ju does not fit the file size field; "
                   "give --file-size\n",
                   static_cast<std::uintmax_t>(length));
      return false;
    }
    options->fileSize = static_cast<std::int32_t>(length);
  }
  if (!options->packetCountGiven) {
    options->packetCount =
        static_cast<std::int32_t>((options->bodySize + kPieceLength - 1) / kPieceLength);
  }
  return true;
}

// The first 1028 bytes of the image: header and date bytes.
void ComposeHead(const MakeOptions& options, unsigned char (&head)[RAD_VALIDATION_LENGTH]) {
  std::memset(head, 0, sizeof head);
  head[0] = options.magic;
  head[1] = options.port;
  head[2] = options.flashMemory;
  PutLittleEndian32(head + 3, options.startAddress);
  PutLittleEndian32(head + 7, Unsigned32(options.fileSize));
  PutLittleEndian32(head + 11, Unsigned32(options.packetCount));
  head[1024] = Unsigned8(options.dateFirst);
  head[1026] = Unsigned8(options.dateSecond);
  head[1027] = Unsigned8(options.dateYear);
}

// Writes the whole image to `file`; false on a write error.
bool WriteImage(const MakeOptions& options, std::FILE* file) {
  unsigned char head[RAD_VALIDATION_LENGTH];
  ComposeHead(options, head);
  // A body shorter than the date bytes cuts the image inside them.
  const std::uint64_t headLength =
      RAD_HEADER_LENGTH + std::min<std::uint64_t>(options.bodySize, RAD_VALIDATION_LENGTH - RAD_HEADER_LENGTH);
  if (std::fwrite(head, 1, headLength, file) != headLength) return false;

  BodyBytes body(options.seed);
  std::vector<unsigned char> chunk(64 * 1024);
  std::uint64_t left = RAD_HEADER_LENGTH + options.bodySize - headLength;
  while (left > 0) {
    const std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>(left, chunk.size()));
    body.Fill(chunk.data(), length);
    if (std::fwrite(chunk.data(), 1, length, file) != length) return false;
    left -= length;
  }
  return std::fflush(file) == 0;
}

int RunMake(const std::vector<std::string>& args) {
  MakeOptions options;
  if (!ParseArguments(args, &options)) return kExitUsage;

  // Written beside OUT and renamed over it at the end, so a failure leaves OUT as it was.
  const std::string temporary = options.out + ".tmp" + std::to_string(getpid());
  // A new file only, never through a name planted in its place (a link in a shared directory).
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  std::FILE* file = fd < 0 ? nullptr : fdopen(fd, "wb");
  if (file == nullptr) {
    if (fd >= 0) close(fd);
    std::fprintf(stderr, "radtool make: cannot create %s: %s\n", temporary.c_str(),
                 std::strerror(errno));
    return kExitUsage;
  }
  const bool written = WriteImage(options, file);
  const int writeErrno = errno;
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) {
    std::fprintf(stderr, "radtool make: cannot write %s: %s\n", temporary.c_str(),
                 std::strerror(written ? errno : writeErrno));
    std::remove(temporary.c_str());
    return kExitUsage;
  }
  if (std::rename(temporary.c_str(), options.out.c_str()) != 0) {
    std::fprintf(stderr, "radtool make: cannot write %s: %s\n", options.out.c_str(),
                 std::strerror(errno));
    std::remove(temporary.c_str());
    return kExitUsage;
  }
  return kExitSuccess;
}

}  // namespace

const RadtoolCommand kMakeCommand = {
    "make",
    "write an image with chosen header fields and a deterministic body",
    kUsage,
    RunMake,
};
