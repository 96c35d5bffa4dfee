#include "ui_text/ui_text.h"

namespace uitext {

namespace {

struct Entry {
  T id;
  const char* text;
};

// In the enum's order; text() relies on it and the table test checks it.
constexpr Entry kTable[] = {
    {T::Title, "lptspool"},
    {T::StartServer, "Starta servern"},
    {T::StopServer, "Stoppa servern"},
    {T::HideToTray, "-"},
    {T::StatusLine, "Visa alla dokument\r\n{1}"},
    {T::Stopped, "Avstängd"},
    {T::Wait, "Vänta..."},
    {T::InQueue, "{1} dokument i kö"},
    {T::TrayShowWindow, "Visa fönstret"},
    {T::TrayToCorner, "Till hörnet"},
    {T::TrayTip, "lptspool: {1} dokument i kö"},
    {T::TrayTipWarning, "lptspool: {1} dokument i kö. {2}"},
    {T::WarningTip, "Skrivaren fungerar inte. {1}"},
    {T::WarningRefusedTip, "{1} dokument kan inte skrivas ut. {2}"},
    {T::NoticeTitle, "Skrivaren fungerar inte"},
    {T::NoticeRefusedTitle, "Dokument kan inte skrivas ut"},
    {T::ListTitle, "Alla dokument"},
    {T::ColumnName, "Namn"},
    {T::ColumnSize, "Storlek"},
    {T::ColumnSince, "I kön sedan"},
    {T::ColumnState, "Status"},
    {T::SizeBytes, "{1} B"},
    {T::SizeKilo, "{1} kB"},
    {T::SizeMega, "{1} MB"},
    {T::Remove, "Ta bort"},
    {T::OpenFolder, "Öppna mappen"},
    {T::Close, "Stäng"},
    {T::Cancel, "Avbryt"},
    {T::ListHeading, "{1} dokument i {2}"},
    {T::ListHeadingFailing, "Skrivaren fungerar inte. {1}"},
    {T::JobCount, "({1} dokument)"},
    {T::RemoveTitle, "Ta bort dokument"},
    {T::RemoveQuestion, "Ta bort {1} ur kön?\nFilen flyttas till papperskorgen."},
    {T::RemovedToTrash, "{1} ligger i papperskorgen."},
    {T::NoTrashQuestion,
     "Papperskorgen kan inte ta emot {1}.\nTa bort den för gott? Den kan inte återställas."},
    {T::KeptInQueue, "{1} ligger kvar i kön."},
    {T::RemovedForGood, "{1} är borttagen för gott."},
    {T::NotRemoved, "{1} kunde inte tas bort."},
    {T::StateQueued, "Väntar"},
    {T::StateWaiting, "Väntar"},
    {T::StateWaitingFor, "Väntar: {1}"},
    {T::StateStillWritten, "Väntar tills den är färdigskriven"},
    {T::StatePrinting, "Skrivs ut"},
    {T::StatePrinted, "Utskriven"},
    {T::StateFailed, "Fel: {1}"},
    {T::StateUnprintable, "Kan inte skrivas ut: {1}"},
    {T::Tries, "({1} försök sedan {2})"},
    {T::WithDetail, "{1} ({2})"},
    {T::Lines, "{1}\n{2}"},
    {T::CausePrinterFolderMissing, "Mappen {1} finns inte. Skapa den eller ändra LPT1."},
    {T::CausePrinterFolderNotMade,
     "Mappen {1} kan inte skapas. Kontrollera behörigheten eller ändra LPT1."},
    {T::CausePrinterIsFile,
     "{1} är en fil och ingen mapp. Ta bort tecknet {2} sist i LPT1 för att skriva till filen, "
     "eller ändra LPT1."},
    {T::CausePrinterMissing, "Skrivaren {1} finns inte. Anslut den eller ändra LPT1."},
    {T::CausePrinterRefuses,
     "Skrivaren {1} tar inte emot dokument. Kontrollera att den är på och att du har behörighet."},
    {T::CauseNoReader,
     "Inget program läser från {1}. Starta programmet som tar emot utskrifterna."},
    {T::CauseSpoolFolderIsPrinter,
     "LPT1 pekar på utskriftsmappen själv. Ändra LPT1 till en annan mapp eller skrivare."},
    {T::CauseNotAPrinter, "{1} är varken skrivare, mapp eller fil. Ändra LPT1."},
    {T::CauseNoCommand, "LPT1 har inget kommando efter |. Skriv kommandot efter | i LPT1."},
    {T::CauseCommandNotFound, "Kommandot {1} finns inte. Installera det eller ändra LPT1."},
    {T::CauseCommandFailed,
     "Utskriftskommandot misslyckades. Kontrollera skrivaren och kommandot i LPT1."},
    {T::CauseNoCupsDefault,
     "CUPS har ingen standardskrivare och {1} finns inte. Välj en standardskrivare i CUPS eller "
     "ange skrivaren i LPT1."},
    {T::CauseCupsRefused,
     "CUPS tog inte emot dokumentet. Kontrollera skrivaren i CUPS, till exempel med lpstat -p."},
    {T::CausePrinterLock, "Skrivaren kan inte reserveras. Starta om servern."},
    {T::CausePrinterBusy, "Skrivaren är upptagen. Dokumentet skrivs ut senare."},
    {T::CausePrinterFailed,
     "Skrivaren tog inte emot dokumentet. Kontrollera skrivaren; servern försöker igen."},
    {T::CauseStillWritten, "Dokumentet skrivs fortfarande. Det skrivs ut när det är färdigt."},
    {T::CauseWrittenTooLong,
     "Dokumentet har skrivits i mer än {1} minuter. Det skrivs ut när det är färdigt."},
    {T::CauseUnusableName,
     "Namnet har ett tecken som inget skript kan bära (ett styrtecken, \" eller \\). "
     "Byt namn på filen."},
    {T::CauseUnreachableName,
     "Namnet kan inte skrivas med systemets teckentabell och filen har inget kort namn. Byt namn "
     "på filen."},
    {T::CauseNotDeletable,
     "Dokumentet kan inte tas bort efter utskrift och skrivs därför inte ut. Kontrollera vem "
     "som äger det och mappens behörighet."},
    {T::CausePrintedNotDeleted,
     "Dokumentet är utskrivet men kunde inte tas bort. Ta bort det för hand."},
    {T::CauseJobUnreadable,
     "Dokumentet kan inte läsas. Kontrollera vem som äger det och dess behörighet."},
    {T::CauseTooBig,
     "Dokumentet är större än det största som skrivs ut. Dela upp det eller höj "
     "LPTSPOOL_MAX_JOB."},
    {T::CauseHardLinks,
     "Dokumentet har flera namn (hårda länkar). Kopiera det till mappen i stället."},
    {T::CauseSparse,
     "Dokumentet är mest tomrum på disken (en gles fil). Spara om det och lägg det i mappen "
     "igen."},
    {T::CauseUnprintable,
     "Dokumentet kan inte skrivas ut som det är. Ta bort det eller rätta "
     "felet."},
    {T::CauseFailed, "Utskriften misslyckades. Servern försöker igen."},
    {T::CauseFolderUnusable,
     "Inget skrivs ut från utskriftsmappen. Kontrollera mappen och vem som äger den."},
    {T::StartRefused, "lptspool startar inte. {1}\n\nAnge mappen så här: {2}"},
    {T::RefusalNoFolder, "Ingen utskriftsmapp är angiven."},
    {T::RefusalNotAbsolute,
     "Utskriftsmappen måste anges med hela sökvägen, på en enhet som finns."},
    {T::RefusalPathTooLong,
     "Sökvägen till utskriftsmappen är för lång: den får ha högst {1} tecken. Välj en kortare."},
    {T::RefusalFolderRefused,
     "Utskriftsmappen får inte användas: den nås genom en länk eller tillhör någon annan. Välj "
     "en egen mapp."},
    {T::AlreadyRuns,
     "lptspool körs redan för mappen {1}.\n\nFönstret finns i ett hörn av skärmen eller dess ikon "
     "i "
     "meddelandefältet."},
};

}  // namespace

std::string text(T id, std::initializer_list<std::string> args) {
  const std::string pattern = kTable[static_cast<int>(id)].text;
  std::string out;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const std::size_t n = i + 2 < pattern.size() && pattern[i] == '{' && pattern[i + 2] == '}'
                              ? static_cast<std::size_t>(pattern[i + 1] - '1')
                              : args.size();
    if (n < args.size()) {
      out += *(args.begin() + n);
      i += 2;
    } else {
      out += pattern[i];
    }
  }
  return out;
}

std::vector<std::string> allTexts() {
  std::vector<std::string> all;
  for (std::size_t i = 0; i < sizeof kTable / sizeof kTable[0]; ++i) {
    // A row out of the enum's order would give one id another's text.
    if (static_cast<std::size_t>(kTable[i].id) != i) return {};
    all.push_back(kTable[i].text);
  }
  return all;
}

}  // namespace uitext
