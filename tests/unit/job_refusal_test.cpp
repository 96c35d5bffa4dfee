// Which jobs are refused before printing, and how the largest job is set.
#include "queue/job_refusal.h"

#include <gtest/gtest.h>

namespace queue {
namespace {

constexpr std::uint64_t kMiB = 1 << 20;

TEST(JobRefusal, RefusesLinkedOversizedAndSparseJobsOnly) {
  struct Case {
    platform::JobFacts facts;
    const char* refusedFor;  // a word of the reason; null: printed
  } cases[] = {
      {{0, 0, 1}, nullptr},                  // empty: prints as nothing
      {{100, 0, 1}, nullptr},                // small, kept inline by the file system
      {{10 * kMiB, 10 * kMiB, 1}, nullptr},  // an ordinary job
      {{10 * kMiB, 2 * kMiB, 1}, nullptr},   // compressed by the file system
      {{100, 4096, 2}, "hard links"},        // a second name
      {{kDefaultMaxJobBytes, kDefaultMaxJobBytes, 1}, nullptr},
      {{kDefaultMaxJobBytes + 1, kDefaultMaxJobBytes + 4096, 1}, "largest job"},
      {{100 * kMiB, 0, 1}, "sparse"},  // truncate -s 100M
      {{2 * kMiB, 4096, 1}, "sparse"},
  };
  for (const Case& c : cases) {
    const std::string reason = refusalReason(c.facts, kDefaultMaxJobBytes);
    SCOPED_TRACE(std::to_string(c.facts.size) + " bytes, " +
                 std::to_string(c.facts.allocatedBytes) + " on disk, " +
                 std::to_string(c.facts.links) + " links: " + reason);
    if (c.refusedFor)
      EXPECT_NE(reason.find(c.refusedFor), std::string::npos);
    else
      EXPECT_EQ(reason, "");
  }
  EXPECT_NE(refusalReason({2 * kMiB, 2 * kMiB, 1}, kMiB).find("1 MiB"), std::string::npos);
}

TEST(JobRefusal, TheLargestJobIsReadInBytesOrBinaryUnitsAndFallsBackOnNonsense) {
  struct Case {
    const char* setting;
    std::uint64_t bytes;
  } cases[] = {
      {nullptr, kDefaultMaxJobBytes},
      {"", kDefaultMaxJobBytes},
      {"5000", 5000},
      {"64k", 64 * 1024},
      {"200M", 200 * kMiB},
      {"2G", 2048 * kMiB},
      {"0", kDefaultMaxJobBytes},
      {"-5", kDefaultMaxJobBytes},
      {"12x", kDefaultMaxJobBytes},
      {"5MB", kDefaultMaxJobBytes},
      {"99999999999999999999", kDefaultMaxJobBytes},
      {"17179869184G", kDefaultMaxJobBytes},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.setting ? c.setting : "(unset)");
    EXPECT_EQ(maxJobBytes(c.setting), c.bytes);
  }
}

}  // namespace
}  // namespace queue
