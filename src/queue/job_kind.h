// The seven states a job goes through, and every word each state is known by. The launcher
// reports them, the server keeps and shows them: one vocabulary for both, so a new state or a
// new word is added in one row.
#pragma once

#include <string>

namespace queue {

enum class Kind {
  Queued,        // no record: waits for the next tick
  Waiting,       // left for a later tick (the printer is busy or failed moments ago)
  StillWritten,  // not complete yet: still growing or held open for writing
  Printing,      // being sent to the printer now
  Printed,       // the printer took it whole; the server says so once and forgets it
  Failed,        // the printer refused it; the reason is the printer's own
  Unprintable,   // cannot be printed as things stand
};

struct KindWords {
  Kind kind;
  const char* record;    // in the kept state file; never changes, old files must still read
  const char* queue;     // --queue's state column
  const char* launcher;  // lptspool-launch's report line: "A.PS printed: 12 bytes"
  const char* server;    // the server's stderr line; null for plain progress, which it keeps quiet
};

const KindWords& wordsOf(Kind kind);
// False for a word no state is recorded by (a foreign or newer file).
bool kindOfRecordWord(const std::string& word, Kind& kind);

}  // namespace queue
