// Text for the wide Windows calls.
#pragma once

#include <windows.h>

#include <string>

namespace platform {

// `text` decoded from `codePage`: CP_UTF8 for our own texts, CP_ACP for names the A calls gave.
std::wstring wideText(const std::string& text, UINT codePage = CP_UTF8);

}  // namespace platform
