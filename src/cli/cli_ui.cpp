#include "cli/cli_ui.h"

#include <cstdio>
#include <string>

#include "cli/text.h"

namespace rw::cli {

void StreamUi::ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) {
  ++messages;
  std::string line = text;
  for (char& c : line) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  std::string prefix = caption;
  if (prefix.empty()) {
    prefix = icon == MessageIcon::Error ? "Error" : icon == MessageIcon::Warning ? "Warning" : "Message";
  }
  err_ << Cp1251ToUtf8(prefix) << " " << Cp1251ToUtf8(line) << "\n";
}

void StreamUi::ShowPleaseWait() {
  err_ << "Searching addresses...\n";
}

std::string PlainLocale::FormatDateTime(const LocalDateTime& t) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%02d.%02d.%04d", t.day, t.month, t.year);
  std::string out = buf;
  if (t.hour || t.minute || t.second || t.millisecond) {
    std::snprintf(buf, sizeof buf, " %02d:%02d:%02d", t.hour, t.minute, t.second);
    out += buf;
  }
  return out;
}

bool PrintingShell::Open(const std::string& target) {
  out_ << "open " << target << "\n";
  return true;
}

}  // namespace rw::cli
