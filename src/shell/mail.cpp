#include "shell/mail.h"

#include "shell/messages.h"

namespace rw {

std::string PercentEncode(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char ch : text) {
    const auto b = static_cast<unsigned char>(ch);
    const bool unreserved = (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') ||
                            b == '-' || b == '.' || b == '_' || b == '~';
    if (unreserved) {
      out += ch;
    } else {
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 15];
    }
  }
  return out;
}

std::string MailLink(std::string_view panelText) {
  return "MailTo:?subject=Rinkwarden%20Online%20Game%20Log&body=Attach%20it:%20" + PercentEncode(panelText);
}

void MailCommand(const MainWindowState& window, IUi& ui, IShell& shell) {
  const std::string panel = window.Panel(2);
  ShowKindMessage(ui, "Attach file to e-mail manually:\r\n" + panel, kKindInformation);
  shell.Open(MailLink(panel));
}

HelpContent GetHelpContent() {
  return HelpContent{"Help / Support",
                     "Rinkwarden " RW_VERSION " - written by the Rinkwarden developers",
                     {"MailTo:rinkwarden@users.noreply.invalid", "https://rinkwarden.invalid/"}};
}

}  // namespace rw
