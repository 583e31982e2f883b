#pragma once
// The CLI's stand-ins for the GUI's message boxes, beep and "Please wait" window: each becomes
// a line on the error stream.

#include <ostream>

#include "common/outside.h"

namespace rw::cli {

class StreamUi : public IUi {
 public:
  explicit StreamUi(std::ostream& err) : err_(err) {}
  void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;
  void Beep() override { ++beeps; }
  void ShowPleaseWait() override;
  void HidePleaseWait() override {}

  int beeps = 0;
  int messages = 0;

 private:
  std::ostream& err_;
};

// Local time formats for reports: dd.mm.yyyy and hh:mm:ss, "." as decimal separator.
class PlainLocale : public ILocale {
 public:
  char DecimalSeparator() override { return '.'; }
  std::string FormatDateTime(const LocalDateTime& t) override;
};

// The shell's "open": the CLI prints what it would open.
class PrintingShell : public IShell {
 public:
  explicit PrintingShell(std::ostream& out) : out_(out) {}
  bool Open(const std::string& target) override;

 private:
  std::ostream& out_;
};

}  // namespace rw::cli
