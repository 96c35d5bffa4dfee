// The window's warning while the printer cannot take jobs: it appears with a failed try, names
// the cause on the status button and the tray icon, is told once to a user whose window is hidden,
// and goes with the next job printed.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <cstdlib>

#include "form_fixture.h"
#include "platform/process.h"
#include "queue/job_list.h"

namespace {

class WarningTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    const char* old = std::getenv("LPT1");
    savedLpt1_ = old ? std::optional<std::string>(old) : std::nullopt;
    // A printer whose folder is missing: the check that follows a failure names it.
    setenv("LPT1", (program.host() + "/printed/lp").c_str(), 1);
    form.window->show();
  }
  void TearDown() override {
    if (savedLpt1_)
      setenv("LPT1", savedLpt1_->c_str(), 1);
    else
      unsetenv("LPT1");
    FormTest::TearDown();
  }
  // One launcher's report, as lptspool-launch would write it.
  void launcher(const std::string& name, queue::Kind kind, const std::string& reason) {
    platform::JobIdentity job;
    ASSERT_TRUE(platform::identityOf(spool.host() + "/" + name, job));
    queue::record(form.tracker->store(), name, job, kind, reason);
  }
  std::optional<std::string> savedLpt1_;
};

TEST_F(WarningTest, AFailedTryWarnsOnTheWindowAndTheTrayUntilTheNextPrint) {
  ASSERT_TRUE(form.tracker);
  const std::string reason = "lpt1: " + program.host() + "/printed/lp: No such file or directory";
  spool.write("A.PS", "1");
  spool.write("B.PS", "2");
  tick();
  EXPECT_EQ(form.cmdShow->warning(), "");
  EXPECT_EQ(toolkit.trayTip, "");

  launcher("A.PS", queue::Kind::Failed, reason);
  launcher("B.PS", queue::Kind::Waiting, reason);
  tick();
  const std::string cause = "Mappen " + program.host() + "/printed/ finns inte.";
  const std::string warning = form.cmdShow->warning();
  EXPECT_EQ(warning.rfind("Skrivaren fungerar inte. " + cause, 0), 0u) << warning;
  // The status button keeps its two lines; the tray names the count and the cause.
  EXPECT_EQ(status(), "Visa alla dokument\r\n2 dokument i kö");
  EXPECT_TRUE(toolkit.trayWarning);
  EXPECT_EQ(toolkit.trayTip, "lptspool: 2 dokument i kö. " + warning);
  EXPECT_TRUE(toolkit.notices.empty()) << "the window is in sight";

  // Hidden: one notice for the episode, not one per tick.
  form.cmdClose_Click();
  tick();
  tick();
  ASSERT_EQ(toolkit.notices.size(), 1u);
  EXPECT_EQ(toolkit.notices[0].rfind("Skrivaren fungerar inte: " + cause, 0), 0u)
      << toolkit.notices[0];

  // Printed: the warning goes, and a later failure is a new episode.
  launcher("A.PS", queue::Kind::Printing, "");
  launcher("A.PS", queue::Kind::Printed, "1 bytes");
  std::filesystem::remove(spool.host() + "/A.PS");
  tick();
  EXPECT_EQ(form.cmdShow->warning(), "");
  EXPECT_FALSE(toolkit.trayWarning);
  EXPECT_EQ(toolkit.trayTip, "");
  launcher("B.PS", queue::Kind::Failed, "lpt1: command exited with status 1");
  tick();
  EXPECT_NE(form.cmdShow->warning(), "");
  EXPECT_EQ(toolkit.notices.size(), 2u);
}

TEST_F(WarningTest, AFailureKnownAtStartUpIsToldOnceTheWindowIsHidden) {
  // Start-up: the printer's check failed before the window was made, the tray icon is there and
  // the window not yet shown, but about to be.
  form.printerWorks = false;
  form.printerCause = "Mappen finns inte.";
  form.window->hide();
  const std::string option = "PRINTINGDIR=" + spool.host();
  const char* argv[] = {"lptspool", option.c_str()};
  platform::setArguments(2, argv);
  form.Form_Load();
  EXPECT_NE(form.cmdShow->warning(), "");
  EXPECT_TRUE(toolkit.notices.empty()) << "told before the window was ever in sight";
  form.window->show();
  form.Form_Resize();
  tick();
  EXPECT_TRUE(toolkit.notices.empty());
  form.cmdClose_Click();
  tick();
  tick();
  EXPECT_EQ(toolkit.notices.size(), 1u);
}

TEST_F(WarningTest, ARefusedJobWarnsWithItsCause) {
  spool.write("bad\x01name.ps", "1");
  tick();
  EXPECT_EQ(form.cmdShow->warning().rfind("1 dokument kan inte skrivas ut. Namnet har", 0), 0u)
      << form.cmdShow->warning();
  std::filesystem::remove(spool.host() + "/bad\x01name.ps");
  tick();
  EXPECT_EQ(form.cmdShow->warning(), "");
}

}  // namespace
#endif
