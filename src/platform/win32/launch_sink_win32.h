// The launcher's Windows sinks that live in files of their own; never included outside
// src/platform.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "platform/launch_sink.h"

namespace platform {

// The folder's final path (links resolved, true case) for locking, or fallback.
std::string finalPath(HANDLE h, const std::string& fallback);

// Each job a new file in the folder, under a name no other job has.
std::unique_ptr<Sink> openFolderSink(const std::string& path, const std::string& jobName,
                                     std::string& error);

}  // namespace platform
