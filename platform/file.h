#pragma once
// Reading files: the framework's file object for a read from the start of a file, and the
// kernel's file handles for opening, measuring and reading a whole file.
//
// Only regular files open: a directory, a FIFO or a device would block a reader or never end,
// so they fail to open like a missing file.

#include <string>

#include "platform/types.h"

class CFile {
 public:
  // Flags of Open that the system uses.
  static constexpr UINT modeRead = 0x0000;
  static constexpr UINT typeBinary = 0x8000;

  CFile();
  // Closes the file if it is still open.
  ~CFile();
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;

  // Opens an existing regular file for reading from its start, in exclusive share mode: FALSE
  // when it is missing, not a regular file, not readable by us, or held by another program (on
  // Linux: one that holds an flock() on it, shared or exclusive; other readers do not count).
  // `openFlags` is modeRead | typeBinary; `error` is unused and may be nullptr.
  BOOL Open(const char* fileName, UINT openFlags, void* error = nullptr);
  // Reads up to `count` bytes into `buffer` and returns how many it read: fewer than `count`
  // only at the end of the file, or when reading fails part-way (0 when the file is not open).
  UINT Read(void* buffer, UINT count);
  // Closes the file; harmless when it is not open.
  void Close();

 private:
  int m_fd;
};

namespace os {

constexpr DWORD GENERIC_READ = 0x80000000;
constexpr DWORD FILE_SHARE_READ = 0x00000001;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFF;

// Opens an existing regular file for reading (`access` GENERIC_READ, `disposition`
// OPEN_EXISTING; other values fail; `security`, `flags` and `templateFile` are unused). With
// `shareMode` FILE_SHARE_READ other readers may hold it too, but not a program that holds it
// exclusively (see CFile::Open). Returns INVALID_HANDLE_VALUE when the file cannot be opened so;
// close the handle with CloseHandle.
HANDLE CreateFileA(const char* fileName, DWORD access, DWORD shareMode, void* security, DWORD disposition,
                   DWORD flags, HANDLE templateFile);

// The length of an open file: the low 32 bits as the result, the high 32 bits in `*high` (which
// may be nullptr only when the caller knows the length fits 32 bits). On failure the result is
// INVALID_FILE_SIZE and `*high` is INVALID_FILE_SIZE too, so a caller that refuses every length
// with a high part set refuses failures as well.
DWORD GetFileSize(HANDLE file, DWORD* high);

// Reads `toRead` bytes from the file's current position into `buffer` in one call: it returns
// only when all of them are read, the end of the file is reached, or reading fails, so for a
// regular file `*read` is the whole length asked for unless the file is shorter or unreadable.
// TRUE when no error occurred (also at the end of the file); `*read` always holds the count of
// bytes read. `overlapped` must be nullptr.
BOOL ReadFile(HANDLE file, void* buffer, DWORD toRead, DWORD* read, void* overlapped);

}  // namespace os
