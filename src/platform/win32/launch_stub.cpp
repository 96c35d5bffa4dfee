// TEMPORARY: lets lptspool-launch.exe link until its Windows host code (job file, sinks, the
// clock and child processes) is written. Every operation fails, so no job is ever copied or
// deleted by this stand-in.
#include "platform/launch_host.h"
#include "platform/launch_job.h"
#include "platform/launch_sink.h"

namespace platform {
namespace {

class StubClock : public Clock {
 public:
  std::int64_t nowMs() override { return 0; }
  void sleepMs(std::int64_t) override {}
};

const char* const kNotYet = "not available on Windows yet";

}  // namespace

bool readSmallFile(const std::string&, std::size_t, bool, std::string&, std::string& error) {
  error = kNotYet;
  return false;
}
bool currentFolder(std::string&) {
  return false;
}
bool realFolder(const std::string&, std::string&) {
  return false;
}
Removal removeFile(const std::string&, std::string& error) {
  error = kNotYet;
  return Removal::Failed;
}
Clock& systemClock() {
  static StubClock clock;
  return clock;
}
void ignoreBrokenPipes() {}
bool captureOutput(const std::vector<std::string>&, const std::vector<std::string>&, std::size_t,
                   std::string&, int& exitCode) {
  exitCode = -1;
  return false;
}

JobFile::~JobFile() = default;
JobFile::JobFile(JobFile&&) noexcept = default;
JobFile& JobFile::operator=(JobFile&&) noexcept = default;
JobFile::Open JobFile::open(const std::string&) {
  return Open::Failed;
}
JobFile::Lock JobFile::tryLock() {
  return Lock::Failed;
}
bool JobFile::stamp(FileStamp&) const {
  return false;
}
JobFile::Writers JobFile::writers() const {
  return Writers::Unknown;
}
long long JobFile::readAt(std::uint64_t, char*, std::size_t) const {
  return -1;
}
long long JobFile::sendTo(Sink&, std::uint64_t, std::size_t) const {
  return -1;
}
JobFile::Removal JobFile::removeName() {
  return Removal::Failed;
}

long long Sink::sendFrom(int, std::uint64_t, std::size_t) {
  return kByWrite;
}
std::unique_ptr<Sink> openPathSink(const std::string&, const std::string&, std::string& error) {
  error = kNotYet;
  return nullptr;
}
std::unique_ptr<Sink> openCommandSink(const std::vector<std::string>&, const std::string&, bool,
                                      std::string& error) {
  error = kNotYet;
  return nullptr;
}

}  // namespace platform
