// Program entry: one GUI thread, the main window, the message loop.
#include <windows.h>
#include <commctrl.h>

#include "shell/receiver_window_win.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  shell::ReceiverWindow window;
  if (!window.Create(instance)) {
    return 1;
  }
  window.Show(showCommand);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageW(window.Handle(), &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  // Closing the main window ends the program with exit code 0.
  return 0;
}
