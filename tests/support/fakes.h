#pragma once
// Recording fakes of the core's outside-world interfaces, for tests.

#include <filesystem>
#include <string>
#include <vector>

#include "common/datetime.h"
#include "common/outside.h"

namespace rw::test {

class FakeClock : public IClock {
 public:
  explicit FakeClock(LocalDateTime t = {2007, 3, 5, 21, 14, 33, 0}) : now(t) {}
  LocalDateTime Now() override { return now; }
  LocalDateTime now;
};

struct ShownMessage {
  std::string text, caption;
  MessageIcon icon;
};

class FakeUi : public IUi {
 public:
  void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override {
    messages.push_back({text, caption, icon});
  }
  void Beep() override { ++beeps; }
  void ShowPleaseWait() override {
    ++pleaseWaitShown;
    pleaseWaitVisible = true;
  }
  void HidePleaseWait() override { pleaseWaitVisible = false; }

  std::vector<ShownMessage> messages;
  int beeps = 0;
  int pleaseWaitShown = 0;
  bool pleaseWaitVisible = false;
};

class FakeShell : public IShell {
 public:
  bool Open(const std::string& target) override {
    opened.push_back(target);
    return true;
  }
  std::vector<std::string> opened;
};

// "." as decimal separator; dates as dd.mm.yyyy and times as hh:mm:ss.
class FakeLocale : public ILocale {
 public:
  char DecimalSeparator() override { return separator; }
  std::string FormatDateTime(const LocalDateTime& t) override;
  char separator = '.';
};

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string str() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace rw::test
