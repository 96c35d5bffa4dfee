// A refusal at start-up: stderr gets the English reason, the message box the refusal's own Swedish
// sentence and the form a folder is given in.
#include "app/start_refusal.h"

#include <gtest/gtest.h>

#include <set>

#include "platform/host_texts.h"

namespace {

// Refused the way main() refuses: the folder option first, then the room a job's script needs.
Refusal refusalOf(const std::string& commandLine, size_t fieldRoom) {
  std::string folder;
  Refusal refusal;
  if (readPrintingDir(commandLine, folder, refusal) &&
      leavesRoomForJobs(folder, fieldRoom, refusal))
    ADD_FAILURE() << "accepted: " << commandLine;
  return refusal;
}

TEST(StartRefusal, EveryCauseHasItsOwnSwedishSentence) {
  std::set<std::string> sentences;
  for (size_t i = 0; i < static_cast<size_t>(RefusalCause::Count); ++i) {
    const Refusal refusal{static_cast<RefusalCause>(i), "the English reason", "42"};
    const std::string box = startRefusalText(refusal);
    EXPECT_EQ(box.rfind("lptspool startar inte. ", 0), 0u) << box;
    EXPECT_EQ(box.find("English"), std::string::npos) << box;
    EXPECT_NE(box.find(platform::usageForm()), std::string::npos) << box;
    EXPECT_TRUE(sentences.insert(box).second) << "two causes read alike: " << box;
  }
}

TEST(StartRefusal, WhatStartUpRefusesReadsAsItsCause) {
  const std::string longFolder = "PRINTINGDIR=\"Z:\\" + std::string(60, 'a') + "\\\"";
  const struct {
    std::string commandLine;
    size_t fieldRoom;
    RefusalCause cause;
    std::string sentence;
  } cases[] = {
      {"", 63, RefusalCause::NoFolder, "Ingen utskriftsmapp är angiven."},
      {"--queue", 63, RefusalCause::NoFolder, "Ingen utskriftsmapp är angiven."},
      {"PRINTINGDIR=spool", 63, RefusalCause::NotAbsolute, "måste anges med hela sökvägen"},
      {"PRINTINGDIR=\"Z:\\unclosed", 63, RefusalCause::NotAbsolute, "hela sökvägen"},
      // The longest folder the template's field leaves room for is named.
      {longFolder, 63, RefusalCause::PathTooLong, "högst 51 tecken"},
      {longFolder, 40, RefusalCause::PathTooLong, "högst 28 tecken"},
  };
  for (const auto& c : cases) {
    const Refusal refusal = refusalOf(c.commandLine, c.fieldRoom);
    EXPECT_EQ(refusal.cause, c.cause) << c.commandLine;
    EXPECT_NE(refusal.reason.find("spool folder"), std::string::npos) << refusal.reason;
    EXPECT_NE(startRefusalText(refusal).find(c.sentence), std::string::npos)
        << startRefusalText(refusal);
  }
}

TEST(StartRefusal, AFolderRefusedByTheHostKeepsItsWordsAfterTheSentence) {
  const std::string words = "the spool folder /tmp/x is a symbolic link (owned by mallory)";
  const std::string box = startRefusalText({RefusalCause::FolderRefused, words, words});
  EXPECT_NE(box.find("Utskriftsmappen får inte användas"), std::string::npos) << box;
  EXPECT_NE(box.find("(" + words + ")"), std::string::npos) << box;
}

}  // namespace
