#pragma once
// The basic types of the platform layer. The code above the layer uses these names, in the
// shapes the desktop framework gives them, so that it reads the same on every platform.

#include <cstdint>

using BOOL = int;
using BYTE = std::uint8_t;
using UINT = unsigned int;
using DWORD = std::uint32_t;
using UINT_PTR = std::uintptr_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

// A kernel handle. On Linux it holds a file descriptor; -1 is no handle.
using HANDLE = std::intptr_t;
constexpr HANDLE INVALID_HANDLE_VALUE = -1;

// A loaded library and an entry point taken from it.
using HMODULE = void*;
using FARPROC = void (*)();

// An icon and a cursor: opaque references to images the platform layer keeps.
struct PlatformIcon;
using HICON = const PlatformIcon*;
using HCURSOR = const PlatformIcon*;

// Colour: red in bits 0 to 7, green in bits 8 to 15, blue in bits 16 to 23.
using COLORREF = DWORD;
constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
  return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) | (static_cast<COLORREF>(b) << 16);
}
constexpr BYTE GetRValue(COLORREF c) { return static_cast<BYTE>(c & 0xFF); }
constexpr BYTE GetGValue(COLORREF c) { return static_cast<BYTE>((c >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF c) { return static_cast<BYTE>((c >> 16) & 0xFF); }

constexpr UINT LOWORD(std::uintptr_t v) { return static_cast<UINT>(v & 0xFFFF); }
constexpr UINT HIWORD(std::uintptr_t v) { return static_cast<UINT>((v >> 16) & 0xFFFF); }
constexpr WPARAM MAKEWPARAM(UINT lo, UINT hi) { return (lo & 0xFFFF) | ((static_cast<WPARAM>(hi) & 0xFFFF) << 16); }
constexpr LPARAM MAKELPARAM(UINT lo, UINT hi) { return static_cast<LPARAM>(MAKEWPARAM(lo, hi)); }
