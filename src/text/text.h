// Pure text and path helpers: cutting delimited text, folder prefixes, directory creation.
// None of them ever reports a failure; a failure inside yields the empty text.
#pragma once

#include <cstdint>
#include <string>

// The text between the first BeginText and the first EndText after it. An empty BeginText means
// from the start, an empty EndText to the end; an absent EndText yields "".
std::string FText(const std::string& InText, const std::string& BeginText,
                  const std::string& EndText);

// True when FindText occurs in InText (exact, case-sensitive).
bool isText(const std::string& InText, const std::string& FindText);

// The root of a drive-absolute Path plus its first PartID + 1 backslash-terminated folder names.
std::string getXFolder(const std::string& Path, int32_t PartID);

// Creates every level of Path that getXFolder yields, top down, ignoring levels that fail.
void MkDirX(const std::string& Path);
