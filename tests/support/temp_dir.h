#pragma once
// A temporary directory for one test, and reading a file back whole.

#include <string>

namespace devicetest {

// A fresh directory under /tmp, removed with everything in it when the object goes. /tmp rather
// than $TMPDIR keeps the paths short, so that a socket inside still fits a socket address.
// Throws std::runtime_error when the directory cannot be made, which fails the test at once.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // The path of `name` inside the directory.
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// The whole content of a file as bytes; empty when it cannot be read.
std::string ReadWholeFile(const std::string& path);

}  // namespace devicetest
