#include "app/start_refusal.h"

#include "platform/host_texts.h"
#include "ui_text/ui_text.h"

namespace {

using uitext::T;

// By cause, in the enum's order.
constexpr T kSentence[] = {T::RefusalNoFolder, T::RefusalNotAbsolute, T::RefusalPathTooLong,
                           T::RefusalFolderRefused};
static_assert(sizeof kSentence / sizeof kSentence[0] == static_cast<size_t>(RefusalCause::Count),
              "every cause of a refusal at start-up needs its sentence");

}  // namespace

std::string startRefusalText(const Refusal& refusal) {
  const size_t cause = static_cast<size_t>(refusal.cause);
  if (cause >= sizeof kSentence / sizeof kSentence[0]) return refusal.reason;
  std::string sentence = uitext::text(kSentence[cause], {refusal.detail});
  // The host's words stay as the host said them; the sentence has no place for them.
  if (refusal.cause == RefusalCause::FolderRefused && !refusal.detail.empty())
    sentence = uitext::text(T::WithDetail, {sentence, refusal.detail});
  return uitext::text(T::StartRefused,
                      {sentence, "lptspool " + std::string(platform::usageForm())});
}
