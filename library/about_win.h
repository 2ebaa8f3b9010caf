// The About box: a standard message box with the library's own icon.
#pragma once

#include <windows.h>

namespace vantrel {

// Shows the modal box and returns when the user has closed it; reports nothing.
void ShowAboutBox(const char* text, const char* caption, HWND owner, HINSTANCE module);

// A dialog procedure whose OK and Cancel buttons end the dialog.
INT_PTR CALLBACK AboutBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace vantrel
