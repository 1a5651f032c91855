#include "devsim/event_log.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>

#include <unistd.h>

namespace devsim {

void LogEvent(const char* format, ...) {
  char line[1024];
  va_list args;
  va_start(args, format);
  int n = vsnprintf(line, sizeof line - 1, format, args);
  va_end(args);
  if (n < 0) return;
  size_t len = static_cast<size_t>(n) < sizeof line - 1 ? static_cast<size_t>(n) : sizeof line - 2;
  line[len++] = '\n';
  // One write() per line keeps lines whole even when several writers share the terminal. A
  // reader that went away does not stop the device (SIGPIPE is ignored, errors are dropped).
  size_t done = 0;
  while (done < len) {
    ssize_t w = write(STDOUT_FILENO, line + done, len - done);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return;
    done += static_cast<size_t>(w);
  }
}

}  // namespace devsim
