// A job's identity as it is kept in a record: read back whole, and nothing else read as one.
#include "platform/job_identity.h"

#include <gtest/gtest.h>

namespace {

TEST(JobIdentityText, ReadsBackWholeAndRefusesAnythingElse) {
  for (const platform::JobIdentity& id :
       {platform::JobIdentity{2049, 1234567, 50, 1700000000123456789},
        platform::JobIdentity{0, 0, 0, -5}}) {
    platform::JobIdentity back;
    ASSERT_TRUE(platform::parseIdentity(id.text(), back)) << id.text();
    EXPECT_EQ(back, id);
  }
  platform::JobIdentity back;
  for (const char* bad : {"", "1 2 3", "1 2 3 4 5", "1 2 3 x", "1  2 3 4", "-1 2 3 4",
                          "1 2 3 99999999999999999999", "1 2 3 4 "})
    EXPECT_FALSE(platform::parseIdentity(bad, back)) << bad;
}

}  // namespace
