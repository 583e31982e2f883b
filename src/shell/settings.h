#pragma once
// The two user settings (LogPath, StatSaveFormat under HKCU\Software\Brevikon): how LogFolder is
// fixed at start-up, and the settings dialog's logic without its widgets. A GUI binds its
// controls to SettingsDialog's state and forwards the user's actions; tests drive it directly.

#include <optional>
#include <string>

#include "monitor/runtime.h"
#include "shell/registry.h"
#include "shell/stat_export.h"

namespace rw {

inline constexpr const char* kSettingsKey = "Software\\Brevikon";

// LogFolder := LogPath from the registry; when that is empty, the program's folder followed by
// "Logs" (no trailing "\"). The folder is then created, one level; a failure is not reported
// (the writers meet it when they write). `programFolder` is a system path; a missing trailing
// separator is supplied.
void InitLogFolder(RuntimeValues& rt, IRegistry& reg, const std::string& programFolder);

class SettingsDialog {
 public:
  static constexpr const char* kCaption = "Settings";
  static constexpr const char* kFormatGroup = "Stat save format";
  static constexpr const char* kXlsChoice = "XLS (Excel)";
  static constexpr const char* kCsvChoice = "CSV (Excel)";
  static constexpr const char* kHtmlChoice = "HTML  (Hypertext)";
  static constexpr const char* kPathGroup = "Stat save path";
  static constexpr const char* kPickerTitle = "Select Output Folder";
  static constexpr const char* kOptionsGroup = "Options";
  static constexpr const char* kCancelButton = "Cancel";
  static constexpr const char* kApplyButton = "Apply";

  // The dialog lives as long as the program and keeps its state between showings.
  SettingsDialog(RuntimeValues& rt, IRegistry& reg) : rt_(rt), reg_(reg) {}

  // Field and tooltip := LogFolder, pending folder := LogFolder; StatSaveFormat 0, 1, 2 checks
  // its choice, any other value leaves the choices as the previous showing left them.
  void Show();
  // The folder picker's answer: a folder becomes the pending folder and the field's text and
  // tooltip; nullopt (the user cancelled) changes nothing.
  void ChooseFolder(const std::optional<std::string>& picked);
  // Checks one choice and clears the other two.
  void ChooseFormat(StatSaveFormat format);
  // Writes StatSaveFormat (the last checked choice in the order XLS, CSV, HTML; 0 when none)
  // and LogPath (the pending folder), sets LogFolder to the pending folder and closes, whatever
  // the writes returned. The folder is not created here.
  void Apply();
  // Closes; nothing is written.
  void Cancel() { visible_ = false; }

  bool Visible() const { return visible_; }
  const std::string& FolderText() const { return folderText_; }
  const std::string& FolderTooltip() const { return folderTooltip_; }
  const std::string& PendingFolder() const { return pending_; }
  bool XlsChecked() const { return xls_; }
  bool CsvChecked() const { return csv_; }
  bool HtmlChecked() const { return html_; }

 private:
  void ShowFolder(const std::string& folder);

  RuntimeValues& rt_;
  IRegistry& reg_;
  bool visible_ = false;
  std::string folderText_, folderTooltip_, pending_;
  bool xls_ = false, csv_ = false, html_ = false;
};

}  // namespace rw
