// File services on DOS paths, the way the system uses them: delete and enumerate by wildcard,
// make one directory, and binary I/O on numbered file slots. Every call reports success or failure
// and nothing else; callers decide what a failure means.
#pragma once

#include <string>

namespace platform {

// Deletes every ordinary file in the folder that matches the pattern (Windows matching: '*', '?',
// ASCII case-insensitive). False when nothing matched or a deletion failed.
bool Kill(const std::string& dosPattern);

// First name (no folder) that matches the pattern, or "" when none does. The list is taken when
// the pattern is given, so files created meanwhile do not disturb it. Only ordinary files: no
// folders, no hidden (dot) files, no symbolic links.
std::string Dir(const std::string& dosPattern);
// The next name of the list the last Dir(pattern) took, or "" when it is exhausted.
std::string Dir();

// Creates one directory; its parent must exist and it must not.
bool MkDir(const std::string& dosPath);

// File slots, numbered 1 to 255 as in the system. A slot holds one open file at a time.
// Opening for writing creates or truncates and never follows a symbolic link.
bool OpenForBinaryWrite(int fileNumber, const std::string& dosPath);
bool OpenForBinaryRead(int fileNumber, const std::string& dosPath);
bool Put(int fileNumber, const std::string& bytes);
// Reads the whole file, from its start, as raw bytes.
bool GetAll(int fileNumber, std::string& bytes);
bool Close(int fileNumber);

// Windows wildcard matching of one name ('*' any run, '?' one character, ASCII case-insensitive).
bool matchesPattern(const std::string& name, const std::string& pattern);

}  // namespace platform
