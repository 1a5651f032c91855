#pragma once
// What the executable's resources hold: dialog templates, strings and icons. res/ defines them;
// the platform layer looks them up by id.

#include <cstddef>

#include "platform/types.h"

// Window styles of dialog templates (the values of the desktop framework).
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_DISABLED = 0x08000000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_GROUP = 0x00020000;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD WS_EX_APPWINDOW = 0x00040000;
constexpr DWORD DS_SETFONT = 0x40;
constexpr DWORD DS_MODALFRAME = 0x80;
constexpr DWORD DS_FIXEDSYS = 0x08;
constexpr DWORD BS_DEFPUSHBUTTON = 0x01;
constexpr DWORD BS_GROUPBOX = 0x07;
constexpr DWORD BS_TYPEMASK = 0x0F;
constexpr DWORD SS_ICON = 0x03;
constexpr DWORD SS_TYPEMASK = 0x1F;
constexpr DWORD SS_NOPREFIX = 0x80;
constexpr DWORD PBS_SMOOTH = 0x01;

// One control of a dialog template. Position and size are in dialog units.
struct DialogItemTemplate {
  int id;
  const char* className;  // "button", "static" or "msctls_progress32"
  DWORD style;
  int x, y, cx, cy;
  const char* text;       // for an SS_ICON static: the icon's resource name, e.g. "#128"
};

// A dialog template: the window and its controls, in tab and drawing order.
struct DialogTemplate {
  DWORD style;
  DWORD exStyle;
  int x, y, cx, cy;        // dialog units
  const char* caption;
  const char* fontName;
  int pointSize;
  int weight;
  BOOL italic;
  int charset;
  const DialogItemTemplate* items;
  std::size_t itemCount;
};

// Implemented by the resources: null (or an empty string) when there is no such resource.
const DialogTemplate* FindDialogTemplate(UINT id);
const char* FindStringResource(UINT id);

// An icon resource: square, 32-bit pixels 0xAARRGGBB, row by row.
struct IconResource {
  int size;
  const std::uint32_t* pixels;
};
const IconResource* FindIconResource(UINT id);
