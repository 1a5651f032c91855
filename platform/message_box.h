#pragma once
// The application's message box.

#include <string>

#include "platform/types.h"

constexpr UINT MB_OK = 0x0;
constexpr UINT MB_ICONEXCLAMATION = 0x30;

// Shows a modal message box over the main window with one OK button, the exclamation icon and
// the application's name as caption, and returns when the user has closed it (IDOK). The text is
// shown exactly as given, '%' and '&' included.
int AfxMessageBox(const std::string& text, UINT type = MB_OK, UINT helpId = 0);
