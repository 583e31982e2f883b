#pragma once
// Everything the core needs from the outside world besides files, game memory and the
// registry: the clock, message boxes and the "Please wait" window, the beep, the shell and the
// user's locale. Front ends supply real implementations; tests supply recording fakes.

#include <string>

#include "common/datetime.h"

namespace rw {

class IClock {
 public:
  virtual ~IClock() = default;
  virtual LocalDateTime Now() = 0;  // the current local date and time
};

enum class MessageIcon { None, Information, Warning, Error };

class IUi {
 public:
  virtual ~IUi() = default;
  // A modal message box with a single OK button. Returns when the user has closed it.
  virtual void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) = 0;
  // The system's default sound.
  virtual void Beep() = 0;
  // The "Please wait" window (caption "Please wait", text "Searching addresses...").
  virtual void ShowPleaseWait() = 0;
  virtual void HidePleaseWait() = 0;
};

class IShell {
 public:
  virtual ~IShell() = default;
  // Opens a document or link with the "open" verb (the mail link).
  virtual bool Open(const std::string& target) = 0;
};

class ILocale {
 public:
  virtual ~ILocale() = default;
  virtual char DecimalSeparator() = 0;
  // The local date in the user's short date format, a blank and the time in the user's long
  // time format; a value at exactly midnight shows the date only.
  virtual std::string FormatDateTime(const LocalDateTime& t) = 0;
};

}  // namespace rw
