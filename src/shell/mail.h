#pragma once
// The mail command and the help dialog's content.

#include <string>
#include <string_view>
#include <vector>

#include "common/outside.h"
#include "shell/main_window.h"

namespace rw {

// Every byte but the unreserved characters (A-Z a-z 0-9 - . _ ~) as %XX, so that "&", "#", "%"
// or "?" in a path cannot break the link; a blank becomes "%20".
std::string PercentEncode(std::string_view text);

// "MailTo:?subject=Rinkwarden%20Online%20Game%20Log&body=Attach%20it:%20" + the encoded text.
std::string MailLink(std::string_view panelText);

// Tells the user to attach the log (the text of status panel 2), then opens the mail link.
void MailCommand(const MainWindowState& window, IUi& ui, IShell& shell);

struct HelpContent {
  std::string caption;                // "Help / Support"
  std::string author;                 // the author line
  std::vector<std::string> contacts;  // e-mail and web links
};
HelpContent GetHelpContent();

}  // namespace rw
