#include "spool/fair_order.h"

#include <map>

std::vector<std::string> fairOrder(const std::vector<ReadyJob>& jobs) {
  std::vector<std::string> order;
  order.reserve(jobs.size());
  std::vector<std::vector<const ReadyJob*>> owners;
  std::map<std::uint32_t, std::size_t> ownerIndex;
  for (const ReadyJob& job : jobs) {
    if (job.mine) {
      order.push_back(job.name);
      continue;
    }
    const auto found = ownerIndex.emplace(job.owner, owners.size());
    if (found.second) owners.emplace_back();
    owners[found.first->second].push_back(&job);
  }
  // Each round takes one job of every owner who has one left; owners whose jobs are all taken
  // leave the round, so a single owner's long queue costs no more than its length.
  for (std::size_t round = 0; !owners.empty(); ++round) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < owners.size(); ++i) {
      if (round >= owners[i].size()) continue;
      order.push_back(owners[i][round]->name);
      if (round + 1 >= owners[i].size()) continue;
      if (kept != i) owners[kept] = std::move(owners[i]);
      ++kept;
    }
    owners.resize(kept);
  }
  return order;
}
