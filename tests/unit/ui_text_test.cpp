// What a person reads: every text comes from the one table and is Swedish, and every cause the
// program knows reads as one sentence that says what to do, the same for every job it holds up.
#include "ui_text/ui_text.h"

#include <gtest/gtest.h>

#include <regex>

#include "queue/job_list.h"
#include "ui_text/job_text.h"

namespace uitext {
namespace {

using queue::JobRecord;
using queue::Kind;

// Words that give an English text away; names such as LPT1 or CUPS are not among them.
const std::regex kEnglish(
    "\\b(the|and|is|not|cannot|could|printer|folder|file|command|waits|failed|printed|job|"
    "Yes|No|OK|Cancel|Remove|Close|Error)\\b",
    std::regex::icase);

TEST(UiText, EveryTextIsInTheTableInOrderAndSwedish) {
  const std::vector<std::string> all = allTexts();
  ASSERT_FALSE(all.empty()) << "a row of the table is out of the enum's order";
  for (const std::string& t : all) EXPECT_FALSE(std::regex_search(t, kEnglish)) << t;
  EXPECT_EQ(text(T::InQueue, {"3"}), "3 dokument i kö");
  // An argument is taken as it stands, even when it looks like a placeholder.
  EXPECT_EQ(text(T::ListHeading, {"{2}", "/a"}), "{2} dokument i /a");
}

JobRecord record(Kind kind, const std::string& reason, std::int64_t tries = 0) {
  JobRecord r;
  r.name = "A.PS";
  r.kind = kind;
  r.reason = reason;
  r.tries = tries;
  r.since = tries ? 100 : 0;
  return r;
}

TEST(UiText, EachCauseReadsAsOneSwedishSentenceWithTheSystemsWordsAfterIt) {
  const PrinterContext none, cups{"", true},
      missing{text(T::CausePrinterFolderMissing, {"/home/me/utskrift/"}), false};
  struct Case {
    JobRecord record;
    PrinterContext printer;
    std::string label;
  };
  const std::vector<Case> cases = {
      {record(Kind::Queued, ""), none, "Väntar"},
      {record(Kind::Printing, ""), none, "Skrivs ut"},
      {record(Kind::StillWritten, "still being written"), none,
       "Väntar tills den är färdigskriven"},
      {record(Kind::Failed, "lpt1: /home/me/utskrift/x: No such file or directory", 1), missing,
       "Väntar: Mappen /home/me/utskrift/ finns inte. Skapa den eller ändra LPT1. "
       "(/home/me/utskrift/x: No such file or directory)"},
      {record(Kind::Failed, "lpt1: command exited with status 1: lp: no such queue", 3), cups,
       "Väntar: CUPS tog inte emot dokumentet. Kontrollera skrivaren i CUPS, till exempel med "
       "lpstat -p. (command exited with status 1: lp: no such queue)"},
      {record(Kind::Failed, "lpt1: command exited with status 1", 1), none,
       "Väntar: Utskriftskommandot misslyckades. Kontrollera skrivaren och kommandot i LPT1. "
       "(command exited with status 1)"},
      {record(Kind::Failed, "lpt1: LPT1 holds no command after |"), none,
       "Väntar: LPT1 har inget kommando efter |. Skriv kommandot efter | i LPT1."},
      {record(Kind::Unprintable, queue::kUnusableName), none,
       "Kan inte skrivas ut: Namnet har ett tecken som inget skript kan bära (ett styrtecken, \" "
       "eller \\). Byt namn på filen."},
      {record(Kind::Unprintable, "it could not be deleted afterwards: A.PS: Permission denied"),
       none,
       "Kan inte skrivas ut: Dokumentet kan inte tas bort efter utskrift och skrivs därför inte "
       "ut. Kontrollera vem som äger det och mappens behörighet. (A.PS: Permission denied)"},
      {record(Kind::Unprintable,
              "still being written after 10 minutes; tried again at the next "
              "tick"),
       none,
       "Kan inte skrivas ut: Dokumentet har skrivits i mer än 10 minuter. Det skrivs ut när det "
       "är färdigt."},
      {record(Kind::Unprintable,
              "it is 2 GiB, more than the largest job, 1 GiB "
              "(LPTSPOOL_MAX_JOB)"),
       none,
       "Kan inte skrivas ut: Dokumentet är större än det största som skrivs ut. Dela upp det "
       "eller höj LPTSPOOL_MAX_JOB. (it is 2 GiB, more than the largest job, 1 GiB "
       "(LPTSPOOL_MAX_JOB))"},
      // The job's own failure keeps its count of tries.
      {record(Kind::Failed, "A.PS: Permission denied", 2), none,
       "Fel: Dokumentet kan inte läsas. Kontrollera vem som äger det och dess behörighet. (A.PS: "
       "Permission denied) (2 försök sedan "},
  };
  for (const Case& c : cases) {
    const std::string label = stateLabel(c.record, 100, c.printer);
    EXPECT_EQ(label.substr(0, c.label.size()), c.label) << c.record.reason;
    // Whatever the system said comes after the Swedish sentence, never before it.
    EXPECT_FALSE(std::regex_search(label.substr(0, label.find(" (")), kEnglish)) << label;
  }
}

TEST(UiText, JobsWaitingOnTheSameFailingPrinterReadTheSame) {
  const std::string reason = "lpt1: /dev/usb/lp0: No such device";
  // The job the printer refused, after three tries, and one that waited for it to rest.
  const JobRecord refused = record(Kind::Failed, reason, 3), rested = record(Kind::Waiting, reason);
  for (const PrinterContext& printer :
       {PrinterContext{}, PrinterContext{text(T::CausePrinterMissing, {"/dev/usb/lp0"}), false}}) {
    EXPECT_EQ(stateLabel(refused, 100, printer), stateLabel(rested, 100, printer));
    EXPECT_TRUE(isPrinterFailure(refused) && isPrinterFailure(rested));
  }
}

}  // namespace
}  // namespace uitext
