// The desktop session on Windows: the toolkit, the program's window, and the message loop until
// the window is closed or the session ends.
#include "platform/desktop.h"

#include <cstdio>

#include "platform/win32/gui/win_toolkit.h"

namespace platform {

int runDesktop(int, char**, const std::function<std::shared_ptr<void>(ui::Toolkit&)>& start) {
  win32ui::WinToolkit toolkit;
  std::shared_ptr<void> program = start(toolkit);
  // The timers and the tray live on the window: a server without it would never print.
  if (toolkit.windowFailed) {
    std::fputs("lptspool: the window cannot be created (no desktop); the server does not run\n",
               stderr);
    program.reset();
    return 1;
  }
  toolkit.EndSession = [&program] {
    program.reset();
    PostQuitMessage(0);
  };
  MSG message;
  int status = 0;
  for (;;) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0) {
      status = static_cast<int>(message.wParam);
      break;
    }
    if (got < 0) break;
    win32ui::dispatch(message);
  }
  toolkit.EndSession = nullptr;
  program.reset();
  return status;
}

}  // namespace platform
