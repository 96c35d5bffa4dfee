// Start and stop. The server's state is the enabled flag of tmrPrint and nothing else.
#include "app/frm_main.h"
#include "ui_text/ui_text.h"

using uitext::T;

void frmMain::cmdStart_Click() {
  cmdStart->setEnabled(false);
  cmdStop->setEnabled(true);
  tmrPrint->setEnabled(true);
  setStatus(uitext::text(T::Wait));
}

void frmMain::cmdStop_Click() {
  cmdStart->setEnabled(true);
  cmdStop->setEnabled(false);
  tmrPrint->setEnabled(false);
  cmdShow->setEnabled(false);
  setStatus(uitext::text(T::Stopped));
}

void frmMain::setStatus(const std::string& secondLine) {
  cmdShow->setCaption(uitext::text(T::StatusLine, {secondLine}));
}
