// File services on DOS paths, the way the system uses them: delete and enumerate by wildcard,
// make one directory, and binary I/O on numbered file slots. Every call reports success or failure
// and nothing else; callers decide what a failure means.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace platform {

// False for a name Dir gave in a form no file is opened by: on Windows a long name with characters
// the ANSI code page lacks, on a volume that keeps no short names.
bool nameReachable(const std::string& name);

// Deletes every ordinary file in the folder that matches the pattern (Windows matching: '*', '?',
// ASCII case-insensitive). False when nothing matched or a deletion failed.
bool Kill(const std::string& dosPattern);

// First name (no folder) that matches the pattern, or "" when none does. The list is taken when
// the pattern is given, so files created meanwhile do not disturb it. Only ordinary files: no
// folders, no hidden (dot) files, no symbolic links.
std::string Dir(const std::string& dosPattern);
// The next name of the list the last Dir(pattern) took, or "" when it is exhausted.
std::string Dir();

// Deletes the ordinary files matching the pattern that belong to this user, are at most maxBytes
// long, and whose name and bytes `isOurs` accepts. Links are never followed, nothing but a regular
// file is opened, and nothing blocks. False when nothing was deleted or a deletion failed.
using SweepFilter = std::function<bool(const std::string& name, const std::string& bytes)>;
bool KillOwn(const std::string& dosPattern, size_t maxBytes, const SweepFilter& isOurs);

// Deletes one file by its exact name (a link is removed, never its target).
bool RemoveFile(const std::string& dosPath);

// Creates one directory; its parent must exist and it must not.
bool MkDir(const std::string& dosPath);
// True when the path names a folder (following links, as opening it would).
bool FolderExists(const std::string& dosPath);

// File slots, numbered 1 to 255 as in the system. A slot holds one open file at a time.
// Opening for writing makes a new file, mode 0644 whatever the umask, that takes its name only when
// closed whole (where the file system allows; elsewhere at once): never an existing file and never
// through a link, so that nobody else can have prepared or still hold what is written, and a
// writer killed half way leaves nothing. Taken when the name exists already, in any form; Close
// fails when somebody took it meanwhile, or when a write failed, and then nothing is left.
enum class Opened { Yes, Taken, Failed };
Opened OpenForBinaryWrite(int fileNumber, const std::string& dosPath);
bool OpenForBinaryRead(int fileNumber, const std::string& dosPath);
bool Put(int fileNumber, const std::string& bytes);
// Reads the whole file, from its start, as raw bytes.
bool GetAll(int fileNumber, std::string& bytes);
bool Close(int fileNumber);

// Windows wildcard matching of one name ('*' any run, '?' one character, ASCII case-insensitive).
bool matchesPattern(const std::string& name, const std::string& pattern);

}  // namespace platform
