// Finding the program a print command names: one lookup per host, so that --check finds exactly
// the program lptspool-launch would run.
#pragma once

#include <string>

namespace platform {

// The program's full path: a name with a folder is taken as it stands, a bare name is looked up
// on PATH, absolute entries only and never in the working folder (the spool folder, where anyone
// who may drop a job could plant a program). False when it is not found or cannot be run.
bool findProgram(const std::string& name, std::string& path);

}  // namespace platform
