#include "library/about_win.h"

namespace vantrel {

static_assert(sizeof(void*) != 4 || sizeof(MSGBOXPARAMSA) == 40, "the record the box is shown from");

void ShowAboutBox(const char* text, const char* caption, HWND owner, HINSTANCE module) {
  MSGBOXPARAMSA params;
  params.cbSize = sizeof params;
  params.hwndOwner = owner;
  params.hInstance = module;  // the icon comes from this module, not from the host
  params.lpszText = text;
  params.lpszCaption = caption;
  params.dwStyle = MB_USERICON;  // one OK button, modal to the owner
  params.lpszIcon = "RPICON";
  params.dwContextHelpId = 0;
  params.lpfnMsgBoxCallback = nullptr;  // a help request (F1) goes to the owner as WM_HELP
  params.dwLanguageId = 0;
  MessageBoxIndirectA(&params);
}

INT_PTR CALLBACK AboutBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
  constexpr INT_PTR kHandled = -1;
  switch (LOWORD(message)) {
    case WM_INITDIALOG:
      return kHandled;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(window, LOWORD(wParam));
        return kHandled;
      }
      return 0;
    default:
      return 0;
  }
}

}  // namespace vantrel
