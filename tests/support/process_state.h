#pragma once
// The test process's own state: its open descriptors and its environment.

#include <string>

namespace devicetest {

// Number of open descriptors of this process.
int OpenDescriptorCount();

// Sets (or with nullptr removes) an environment variable for the scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  bool had_ = false;
  std::string old_;
};

}  // namespace devicetest
