// The private folder: made private when missing, refused when anyone else could reach it.
#include "platform/private_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include "runtime_folder.h"

namespace {

class PrivateFolderTest : public RuntimeFolderTest {
 protected:
  TempFolder spool;
};

TEST_F(PrivateFolderTest, IsCreatedPrivateAndIsTheSameForEverySpellingOfTheSpoolFolder) {
  std::string a, b, error;
  ASSERT_TRUE(platform::privateFolder(spool.host(), a, error)) << error;
  ASSERT_TRUE(platform::privateFolder(spool.host() + "//./", b, error)) << error;
  EXPECT_EQ(a, b);
  EXPECT_EQ(a.rfind(runtime.host() + "/lptspool/", 0), 0u);
  struct stat st {};
  ASSERT_EQ(stat(a.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  TempFolder other;
  std::string c;
  ASSERT_TRUE(platform::privateFolder(other.host(), c, error));
  EXPECT_NE(a, c);
}

TEST_F(PrivateFolderTest, AFolderOthersCanReachOrALinkIsRefused) {
  std::string folder, error;
  ASSERT_EQ(mkdir(runtime.path("lptspool").c_str(), 0755), 0);
  EXPECT_FALSE(platform::privateFolder(spool.host(), folder, error));
  ASSERT_EQ(rmdir(runtime.path("lptspool").c_str()), 0);
  TempFolder elsewhere;
  ASSERT_EQ(chmod(elsewhere.host().c_str(), 0700), 0);
  ASSERT_EQ(symlink(elsewhere.host().c_str(), runtime.path("lptspool").c_str()), 0);
  EXPECT_FALSE(platform::privateFolder(spool.host(), folder, error));
  EXPECT_NE(error.find("not a private folder"), std::string::npos);
}

}  // namespace
