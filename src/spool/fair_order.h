// The order in which a tick starts launchers for the jobs that are ready. There are only so many
// launchers at a time: the server user's own jobs go first, and the others take turns by owner,
// so that nobody's heap of jobs keeps another's job waiting for long.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ReadyJob {
  std::string name;
  std::uint32_t owner = 0;
  bool mine = false;  // the server's user owns it
};

// The jobs in the order to start them: the server user's own in the order found, then one job of
// each other owner in turn (owners in the order their first job was found).
std::vector<std::string> fairOrder(const std::vector<ReadyJob>& jobs);
