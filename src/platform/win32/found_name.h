// The name the system uses for a file found in a folder.
#pragma once

#include <windows.h>

#include <string>

namespace platform {

// The long name when the ANSI code page has every character of it; else the short (8.3) name,
// by which the file opens just as well, when the volume keeps one; else the long name with '?'
// for what the code page lacks, which no file is opened by and the tick leaves with a reason.
// `longName` gets the long name as the code page has it: a pattern must match both, so that a short
// name never reaches a file its long name keeps from the pattern (notes.batch is not *.bat).
std::string foundName(const WIN32_FIND_DATAW& found, std::string* longName = nullptr);

}  // namespace platform
