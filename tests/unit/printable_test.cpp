// How names are shown: nothing that drives a terminal, hides or reorders text gets through, and
// every shown text reads back to the one it came from.
#include <gtest/gtest.h>

#include <set>

#include "queue/job_state.h"
#include "ui_text/job_text.h"

namespace queue {
namespace {

// The reader's side: \xNN is the byte NN, anything else is itself.
std::string readBack(const std::string& shown) {
  std::string out;
  for (std::size_t i = 0; i < shown.size(); ++i) {
    if (shown[i] == '\\' && i + 3 < shown.size() && shown[i + 1] == 'x') {
      out += static_cast<char>(std::stoi(shown.substr(i + 2, 2), nullptr, 16));
      i += 3;
    } else {
      out += shown[i];
    }
  }
  return out;
}

TEST(Printable, ShowsWhatCanBeSeenAndEscapesTheRestByteByByte) {
  const struct {
    std::string name, shown;
  } cases[] = {
      {"REPORT.PS", "REPORT.PS"},
      {"Räkning för maj.ps", "Räkning för maj.ps"},  // letters of any script stay
      {"日本.ps", "日本.ps"},
      {"a\nb\x1b[2J.ps", "a\\x0ab\\x1b[2J.ps"},  // C0 controls
      {"a\x7f.ps", "a\\x7f.ps"},
      {"a\\x0a.ps", "a\\x5cx0a.ps"},  // the text \x0a is not a newline
      {"a\\b.ps", "a\\x5cb.ps"},
      {"a\xc2\x85.ps", "a\\xc2\\x85.ps"},  // U+0085, a C1 line end
      {"a\xc2\x9b"
       "31m.ps",
       "a\\xc2\\x9b31m.ps"},  // U+009B, a C1 escape
      {"sp\xe2\x80\xae"
       "sp.exe.ps",
       "sp\\xe2\\x80\\xaesp.exe.ps"},  // U+202E, right to left
      {"a\xe2\x81\xa6"
       "b.ps",
       "a\\xe2\\x81\\xa6b.ps"},  // U+2066, an isolate
      {"a\xe2\x80\x8b"
       "b.ps",
       "a\\xe2\\x80\\x8bb.ps"},  // U+200B, zero width
      {"\xef\xbb\xbf"
       "a.ps",
       "\\xef\\xbb\\xbfa.ps"},  // U+FEFF
      {"a\xc2\xad"
       "b.ps",
       "a\\xc2\\xadb.ps"},  // soft hyphen
      {"a\xe2\x80\xa8"
       "b.ps",
       "a\\xe2\\x80\\xa8b.ps"},                              // line separator
      {"a\xf3\xa0\x80\x81.ps", "a\\xf3\\xa0\\x80\\x81.ps"},  // U+E0001, a tag
      {"caf\xe9.ps", "caf\\xe9.ps"},                         // Latin-1, not UTF-8
      {"a\xc0\xae.ps", "a\\xc0\\xae.ps"},                    // overlong '.'
      {"a\xed\xa0\x80.ps", "a\\xed\\xa0\\x80.ps"},           // a surrogate
      {"a\xe2\x80", "a\\xe2\\x80"},                          // cut short
  };
  std::set<std::string> shown;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shown);
    EXPECT_EQ(printable(c.name), c.shown);
    EXPECT_EQ(readBack(printable(c.name)), c.name);
    shown.insert(printable(c.name));
  }
  EXPECT_EQ(shown.size(), std::size(cases));
}

TEST(Printable, MessagesKeepTheirBackslashesButNothingElseThatNamesEscape) {
  EXPECT_EQ(printableText("lpt1: C:\\SPOOL\\OUT\n\xc2\x85"), "lpt1: C:\\SPOOL\\OUT\\x0a\\xc2\\x85");
}

TEST(Printable, EveryShownLineStaysOneLineOnEveryPath) {
  JobRecord r;
  r.name = "a\nb\xc2\x85\xe2\x80\xae.ps";
  r.reason = "lpt1: x\r\ny";
  r.kind = Kind::Failed;
  for (const std::string& line : {stderrLine(r), uitext::stateLabel(r, 0, {}), reasonText(r, 0)}) {
    SCOPED_TRACE(line);
    for (unsigned char c : line) EXPECT_GE(c, 0x20);
    EXPECT_EQ(line.find("\xc2\x85"), std::string::npos);
    EXPECT_EQ(line.find("\xe2\x80\xae"), std::string::npos);
  }
}

}  // namespace
}  // namespace queue
