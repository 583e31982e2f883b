#include "shell/messages.h"

namespace rw {

void ShowKindMessage(IUi& ui, const std::string& text, int kind) {
  switch (kind) {
    case kKindInformation:
      ui.ShowMessage(text, "Information!", MessageIcon::Information);
      break;
    case kKindError:
      ui.ShowMessage(text, "Error!", MessageIcon::Error);
      break;
    case kKindWarning:
      ui.ShowMessage(text, "Warning!", MessageIcon::Warning);
      break;
    default:
      ui.ShowMessage(text, "", MessageIcon::None);
      break;
  }
}

}  // namespace rw
