// The event by which lptspool.exe tells lptspool.com, which started it and waits, that it runs.
#pragma once

#include <windows.h>

#include <string>

namespace platform {

// Named after the server's process id: the companion knows it before the server runs.
inline std::wstring startedEventName(DWORD processId) {
  return L"Local\\lptspool-started-" + std::to_wstring(processId);
}

}  // namespace platform
