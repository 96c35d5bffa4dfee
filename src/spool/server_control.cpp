// Start and stop. The server's state is the enabled flag of tmrPrint and nothing else.
#include "app/frm_main.h"

void frmMain::cmdStart_Click() {
  cmdStart->setEnabled(false);
  cmdStop->setEnabled(true);
  tmrPrint->setEnabled(true);
  setStatus("Vänta...");
}

void frmMain::cmdStop_Click() {
  cmdStart->setEnabled(true);
  cmdStop->setEnabled(false);
  tmrPrint->setEnabled(false);
  cmdShow->setEnabled(false);
  setStatus("Avstängd");
}

void frmMain::setStatus(const std::string& secondLine) {
  cmdShow->setCaption("Visa alla dokument\r\n" + secondLine);
}
