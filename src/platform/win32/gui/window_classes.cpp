// The window classes of our own, and the procedures that hand each window's messages to the
// object that made it.
#include "platform/win32/gui/win_toolkit.h"

namespace win32ui {
namespace {

template <class Object>
Object* objectOf(::HWND hwnd, UINT message, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    void* created = reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
  }
  return static_cast<Object*>(reinterpret_cast<void*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA)));
}

// Each window class hands its messages to the object that created the window, once it exists.
template <class Object, class Base>
LRESULT CALLBACK controlProc(::HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Base* base = objectOf<Base>(hwnd, message, lParam);
  if (message == WM_NCDESTROY) SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
  if (!base || base->native() != hwnd) return DefWindowProcA(hwnd, message, wParam, lParam);
  return static_cast<Object*>(base)->handle(message, wParam, lParam);
}

WinToolkit* toolkitInstance = nullptr;

LRESULT CALLBACK formProc(::HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  // The session ends: the program goes now (it removes its tray icon), window and all, so
  // nothing of the window may be touched after this.
  if (message == WM_ENDSESSION && wParam) {
    if (toolkitInstance && toolkitInstance->EndSession) toolkitInstance->EndSession();
    return 0;
  }
  WinWindow* window = objectOf<WinWindow>(hwnd, message, lParam);
  if (message == WM_NCDESTROY) SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
  if (!window || window->native() != hwnd) return DefWindowProcA(hwnd, message, wParam, lParam);
  return window->handle(message, wParam, lParam);
}

}  // namespace

void registerClasses(WinToolkit& toolkit) {
  toolkitInstance = &toolkit;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSEXA form{};
  form.cbSize = sizeof form;
  form.lpfnWndProc = formProc;
  form.hInstance = instance;
  form.hCursor = LoadCursor(nullptr, IDC_ARROW);
  form.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
  form.lpszClassName = kFormClass;
  RegisterClassExA(&form);

  WNDCLASSEXA dialog = form;
  dialog.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  dialog.lpszClassName = kDialogClass;
  RegisterClassExA(&dialog);

  WNDCLASSEXA strip = form;
  strip.style = CS_DBLCLKS;
  strip.lpfnWndProc = controlProc<WinLabel, WinControl<ui::Label>>;
  strip.hCursor = LoadCursor(nullptr, IDC_SIZEALL);
  strip.hbrBackground = GetSysColorBrush(COLOR_BTNSHADOW);
  strip.hIcon = nullptr;
  strip.lpszClassName = kStripClass;
  RegisterClassExA(&strip);

  WNDCLASSEXA hook = strip;
  hook.style = 0;
  hook.lpfnWndProc = controlProc<WinPictureBox, WinControl<ui::PictureBox>>;
  hook.hCursor = LoadCursor(nullptr, IDC_ARROW);
  hook.lpszClassName = kHookClass;
  RegisterClassExA(&hook);
}

}  // namespace win32ui
