#pragma once
// Reading initialisation files (sections in brackets, then key=value lines).

#include <cstddef>

#include "platform/types.h"

namespace os {

// Copies the value of `key` in `section` of the file at `path` into `buffer` (at most
// `size` - 1 bytes and a terminating zero), or `defaultValue` when the file, the section or the
// key is missing. Names match without regard to case; blanks around names and values are
// dropped, and one pair of enclosing quotes. A value longer than the buffer is cut, never inside
// a UTF-8 character. The file is read anew on every call; safe from any thread. Returns the
// number of bytes copied.
DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue,
                               char* buffer, DWORD size, const char* path);

}  // namespace os
