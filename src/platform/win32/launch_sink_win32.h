// The launcher's Windows sinks that live in files of their own; never included outside
// src/platform.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "platform/launch_sink.h"

namespace platform {

// This host's sinks take a job through write() (or sendFrom(), inside the system) and complete
// it at commit; print() feeds them the settled bytes and takes them back when the job changed.
class StagedSink : public Sink {
 public:
  bool print(int jobFd, const FileStamp& settled) override;

 protected:
  virtual bool write(const char* data, std::size_t size) = 0;
  // Sends up to size bytes of the job from offset without our buffer: the count, 0 at the end,
  // -1 on error, or kByWrite when the sink takes bytes only through write().
  static constexpr long long kByWrite = -2;
  virtual long long sendFrom(int fd, std::uint64_t offset, std::size_t size);
  virtual bool commit() = 0;
  virtual void abort() = 0;
};

// The folder's final path (links resolved, true case) for locking, or fallback.
std::string finalPath(HANDLE h, const std::string& fallback);

// Each job a new file in the folder, under a name no other job has.
std::unique_ptr<Sink> openFolderSink(const std::string& path, const std::string& jobName,
                                     std::string& error);

}  // namespace platform
