#include "queue/job_kind.h"

namespace queue {

namespace {

// In the enum's order; wordsOf relies on it.
constexpr KindWords kWords[] = {
    {Kind::Queued, "queued", "waits", "waits", nullptr},
    {Kind::Waiting, "waiting", "waits", "waits", "waits"},
    {Kind::StillWritten, "written", "writing", "is still being written", "waits"},
    {Kind::Printing, "printing", "printing", "printing", nullptr},
    {Kind::Printed, "printed", "printed", "printed", "printed"},
    {Kind::Failed, "failed", "failed", "failed", "waits"},
    {Kind::Unprintable, "unprintable", "refused", "cannot be printed", "cannot be printed"},
};

}  // namespace

const KindWords& wordsOf(Kind kind) {
  return kWords[static_cast<int>(kind)];
}

bool kindOfRecordWord(const std::string& word, Kind& kind) {
  for (const KindWords& w : kWords)
    if (word == w.record) return kind = w.kind, true;
  return false;
}

}  // namespace queue
