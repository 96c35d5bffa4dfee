#include "app/spool_folder.h"

#include "platform/dos_path.h"
#include "platform/host_texts.h"
#include "spool/job_files.h"
#include "spool/launcher_template.h"
#include "text/text.h"

namespace {

constexpr size_t kShippedFieldRoom = 63;

std::string upperAscii(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

}  // namespace

bool readPrintingDir(const std::string& commandLine, std::string& folder, Refusal& refusal) {
  // The keyword is found in any case, but the folder keeps its own: on this host an upper-cased
  // folder is another folder.
  const std::string keyword = "PRINTINGDIR=\"";
  const size_t at = upperAscii(commandLine).find(keyword);
  if (at == std::string::npos) {
    const bool named = upperAscii(commandLine).find("PRINTINGDIR=") != std::string::npos;
    refusal.cause = named ? RefusalCause::NotAbsolute : RefusalCause::NoFolder;
    refusal.reason =
        named ? std::string("the spool folder must be an absolute folder, as in ") +
                    platform::usageForm()
              : std::string("no spool folder given; start it as lptspool ") + platform::usageForm();
    return false;
  }
  std::string found = FText(commandLine.substr(at), commandLine.substr(at, keyword.size()), "\"");
  std::string host;
  if (found.empty() || !platform::toHostPath(found, host)) {
    refusal.cause = RefusalCause::NotAbsolute;
    refusal.reason =
        "the spool folder must be an absolute folder, as in " + std::string(platform::usageForm());
    return false;
  }
  // Names are joined to the folder without a separator; without this backslash the sweep would
  // reach into the parent folder.
  if (found.back() != '\\') found += '\\';
  folder = found;
  return true;
}

bool leavesRoomForJobs(const std::string& folder, size_t fieldRoom, Refusal& refusal) {
  if ((folder + "12345678.bat").size() <= fieldRoom) return true;
  refusal.cause = RefusalCause::PathTooLong;
  refusal.detail = std::to_string(fieldRoom > 12 ? fieldRoom - 12 : 0);
  refusal.reason = "the spool folder's path is too long for the launcher (at most " +
                   refusal.detail + " characters in its DOS form); choose a shorter " +
                   platform::usageForm();
  return false;
}

size_t currentFieldRoom() {
  std::string templ;
  return readLauncherTemplate(templ) ? launcherFieldRoom(templ) : kShippedFieldRoom;
}
