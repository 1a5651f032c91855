#include "tests/support/temp_dir.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace devicetest {

TempDir::TempDir() {
  char pattern[] = "/tmp/hadrel-test-XXXXXX";
  if (mkdtemp(pattern) == nullptr)
    throw std::runtime_error(std::string("cannot create a directory like ") + pattern + ": " +
                             std::strerror(errno));
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace devicetest
