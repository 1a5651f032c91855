// The file reads that the start of a transfer relies on: the validation read through CFile, and
// the second open, the length and the one whole-file read through the kernel's file handles.

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file.h"
#include "platform/handle.h"
#include "tests/support/device_calls.h"
#include "tests/support/temp_dir.h"

namespace {

using devicetest::TempDir;

std::string WriteFile(const TempDir& dir, const std::string& name, const std::string& bytes) {
  const std::string path = dir.File(name);
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

HANDLE OpenForWholeRead(const std::string& path) {
  return os::CreateFileA(path.c_str(), os::GENERIC_READ, os::FILE_SHARE_READ, nullptr, os::OPEN_EXISTING, 0,
                         INVALID_HANDLE_VALUE);
}

TEST(FileRead, CFileReadsFromTheStartAndTellsHowManyBytesThereWere) {
  TempDir dir;
  const std::string bytes = devicetest::PatternBytes(5000, 3);
  const std::string shortBytes = bytes.substr(0, 1027);
  const std::string full = WriteFile(dir, "full.rad", bytes);
  const std::string brief = WriteFile(dir, "short.rad", shortBytes);

  char buffer[1028];
  CFile file;
  ASSERT_TRUE(file.Open(full.c_str(), CFile::modeRead | CFile::typeBinary));
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 1028u);
  EXPECT_EQ(std::string(buffer, 1028), bytes.substr(0, 1028));
  file.Close();
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 0u) << "closed";

  ASSERT_TRUE(file.Open(brief.c_str(), CFile::modeRead | CFile::typeBinary));
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 1027u);
  EXPECT_EQ(std::string(buffer, 1027), shortBytes);
}

// Only regular files open: the others would block the reader or never end. A file that another
// program holds exclusively does not open either, for CFile or for a second reader.
TEST(FileRead, WhatCannotBeOpened) {
  TempDir dir;
  const std::string fifo = dir.File("fifo.rad");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string held = WriteFile(dir, "held.rad", "x");
  const int holder = open(held.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);

  for (const std::string& path : {dir.File("missing.rad"), dir.path(), fifo, held, std::string("/dev/zero")}) {
    SCOPED_TRACE(path);
    CFile file;
    EXPECT_FALSE(file.Open(path.c_str(), CFile::modeRead | CFile::typeBinary));
    EXPECT_EQ(OpenForWholeRead(path), INVALID_HANDLE_VALUE);
  }
  close(holder);
}

// The validation read asks for exclusive access, the whole-file read lets other readers in.
TEST(FileRead, TheWholeFileReadSharesTheFileWithOtherReaders) {
  TempDir dir;
  const std::string path = WriteFile(dir, "image.rad", "bytes");
  const int otherReader = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(flock(otherReader, LOCK_SH | LOCK_NB), 0);
  CFile file;
  EXPECT_FALSE(file.Open(path.c_str(), CFile::modeRead | CFile::typeBinary));
  const HANDLE handle = OpenForWholeRead(path);
  EXPECT_NE(handle, INVALID_HANDLE_VALUE);
  os::CloseHandle(handle);
  close(otherReader);
  EXPECT_TRUE(file.Open(path.c_str(), CFile::modeRead | CFile::typeBinary));
}

TEST(FileRead, OneReadDeliversTheWholeFile) {
  TempDir dir;
  const std::string bytes = devicetest::PatternBytes(3 * 1024 * 1024 + 7, 5);
  const std::string path = WriteFile(dir, "big.rad", bytes);
  const HANDLE handle = OpenForWholeRead(path);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  DWORD high = 99;
  const DWORD length = os::GetFileSize(handle, &high);
  EXPECT_EQ(high, 0u);
  ASSERT_EQ(length, bytes.size());
  // One byte more than the file holds: the read stops at its end, without an error.
  std::string buffer(length + 1, '\0');
  DWORD read = 0;
  EXPECT_TRUE(os::ReadFile(handle, buffer.data(), length + 1, &read, nullptr));
  EXPECT_EQ(read, length);
  EXPECT_EQ(buffer.substr(0, length), bytes);
  EXPECT_TRUE(os::CloseHandle(handle));
}

// A length beyond 32 bits shows in the high part; a failure sets both parts.
TEST(FileRead, TheLengthHasAHighPart) {
  TempDir dir;
  const std::string path = WriteFile(dir, "huge.rad", "");
  ASSERT_EQ(truncate(path.c_str(), (1ll << 32) + 1028), 0) << "sparse: takes no room on disk";
  const HANDLE handle = OpenForWholeRead(path);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  DWORD high = 0;
  EXPECT_EQ(os::GetFileSize(handle, &high), 1028u);
  EXPECT_EQ(high, 1u);
  os::CloseHandle(handle);
  EXPECT_EQ(os::GetFileSize(INVALID_HANDLE_VALUE, &high), os::INVALID_FILE_SIZE);
  EXPECT_EQ(high, os::INVALID_FILE_SIZE);
}

}  // namespace
