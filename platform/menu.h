#pragma once
// The window menu of a top-level window (see CWnd::GetSystemMenu).

#include <string>
#include <vector>

#include "platform/types.h"

constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_SEPARATOR = 0x0800;

class CMenu {
 public:
  // Adds an item at the end: a separator, or a text whose '&' marks the access key. Choosing an
  // item sends WM_SYSCOMMAND with its id to the window.
  BOOL AppendMenu(UINT flags, UINT_PTR id = 0, const std::string& text = std::string());

  struct Item {
    UINT flags;
    UINT_PTR id;
    std::string text;
  };
  const std::vector<Item>& Items() const { return m_items; }

 private:
  std::vector<Item> m_items;
};
