// Names on Windows: file names come in the ANSI code page and are shown in UTF-8; a name the code
// page lacks letters for is reached through its short name.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/files.h"
#include "platform/host_texts.h"
#include "queue/job_standing.h"
#include "ui_text/job_text.h"

namespace {

class NamesTest : public testing::Test {
 protected:
  void SetUp() override {
    if (GetACP() != 1252) GTEST_SKIP() << "the ANSI code page is " << GetACP() << ", not 1252";
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    folder_ = std::string(temp) + "lptspool-names-" + std::to_string(GetCurrentProcessId()) + "\\";
    ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr));
  }
  void TearDown() override {
    if (folder_.empty()) return;
    for (const wchar_t* name : {L"R\u00e4kning.ps", L"\u0421\u0447\u0451\u0442.ps"})
      DeleteFileW((std::wstring(folder_.begin(), folder_.end()) + name).c_str());
    RemoveDirectoryA(folder_.c_str());
  }
  void create(const wchar_t* name) {
    const HANDLE file = CreateFileW((std::wstring(folder_.begin(), folder_.end()) + name).c_str(),
                                    GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, "job", 3, &written, nullptr);
    CloseHandle(file);
  }
  std::string folder_;
};

TEST_F(NamesTest, ShownTextDecodesTheCodePageAndKeepsUtf8) {
  const std::pair<std::string, std::string> cases[] = {
      {"R\xe4kning.ps", "R\xc3\xa4kning.ps"},  // a name from the code page
      {"Avst\xc3\xa4ngd", "Avst\xc3\xa4ngd"},  // our own text, UTF-8
      {"R\xe4kning.ps v\xc3\xa4ntar", "R\xc3\xa4kning.ps v\xc3\xa4ntar"},  // both in one line
      {"\x80 \xc3", "\xe2\x82\xac \xc3\x83"},  // the euro sign; a lead byte with nothing after it
  };
  for (const auto& [bytes, shown] : cases) {
    EXPECT_EQ(platform::shownText(bytes), shown) << bytes;
    EXPECT_EQ(platform::shownText(shown), shown) << "shown twice: " << shown;
  }
}

TEST_F(NamesTest, ANameOutsideTheCodePageIsReachedByItsShortName) {
  create(L"R\u00e4kning.ps");
  create(L"\u0421\u0447\u0451\u0442.ps");  // Cyrillic: not in code page 1252
  std::string found[2] = {platform::Dir(folder_ + "*.ps"), platform::Dir()};
  EXPECT_EQ(platform::Dir(), "");
  if (found[0] != "R\xe4kning.ps") std::swap(found[0], found[1]);
  EXPECT_EQ(found[0], "R\xe4kning.ps");
  ASSERT_NE(found[1].find('~'), std::string::npos) << found[1];
  for (const std::string& name : found) {
    EXPECT_TRUE(platform::nameReachable(name)) << name;
    std::string bytes;
    ASSERT_TRUE(platform::OpenForBinaryRead(1, folder_ + name)) << name;
    EXPECT_TRUE(platform::GetAll(1, bytes));
    EXPECT_TRUE(platform::Close(1));
    EXPECT_EQ(bytes, "job");
  }
  EXPECT_FALSE(platform::nameReachable("????.ps"));
}

// Without a short name (a volume that keeps none) the name stays with its own reason, in English
// for stderr and --queue and in Swedish in the list, not as a name no script can carry.
TEST(UnreachableName, StaysWithItsOwnReason) {
  const platform::JobFacts facts{3, 3, 1};
  EXPECT_EQ(queue::standingOf("????.ps", facts, true, 100), queue::Standing::UnreachableName);
  EXPECT_EQ(queue::standingOf("R\xe4kning.ps", facts, true, 100), queue::Standing::Printable);
  using queue::Standing;
  const std::string reason = queue::standingReason(Standing::UnreachableName, 100);
  EXPECT_NE(reason.find("code page"), std::string::npos) << reason;
  EXPECT_NE(reason, queue::standingReason(Standing::UnusableName, 100));
  const std::string cause = uitext::standingCause(Standing::UnreachableName, 100);
  EXPECT_NE(cause.find("teckentabell"), std::string::npos) << cause;
  EXPECT_NE(cause, uitext::standingCause(Standing::UnusableName, 100));
}

}  // namespace
