#pragma once
// The record of one pipe session: DIR/stream-N.bin holds every byte received, in order, and
// DIR/writes-N.txt the length of each packet, one per line. Both are written through as packets
// arrive, and closed when the session ends.

#include <cstddef>
#include <string>

namespace devsim {

class SessionRecord {
 public:
  SessionRecord() = default;
  SessionRecord(const SessionRecord&) = delete;
  SessionRecord& operator=(const SessionRecord&) = delete;
  ~SessionRecord();

  // Creates (or empties) the two files of session `session` in `dir`.
  bool Open(const std::string& dir, unsigned session, std::string* error);
  // Appends one packet of which `data` holds the first `stored` bytes of `length`.
  bool Append(const char* data, std::size_t stored, std::size_t length, std::string* error);
  // Closes both files; false when the last data could not be written out.
  bool Close(std::string* error);
  bool IsOpen() const { return stream_ >= 0; }

 private:
  int stream_ = -1;
  int writes_ = -1;
};

// Checks that `dir` is a directory we may write into, creating it when missing.
bool PrepareRecordDirectory(const std::string& dir, std::string* error);

}  // namespace devsim
