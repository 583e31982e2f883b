#include "shell/settings.h"

#include "common/files.h"

namespace rw {

void InitLogFolder(RuntimeValues& rt, IRegistry& reg, const std::string& programFolder) {
  rt.LogFolder = ReadRegString(reg, "HCU", kSettingsKey, "LogPath");
  if (rt.LogFolder.empty()) {
    std::string folder = programFolder;
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
    rt.LogFolder = folder + "Logs";
  }
  (void)CreateFolder(rt.LogFolder);
}

void SettingsDialog::ShowFolder(const std::string& folder) {
  folderText_ = folder;
  folderTooltip_ = folder;
}

void SettingsDialog::Show() {
  ShowFolder(rt_.LogFolder);
  pending_ = rt_.LogFolder;
  const std::int32_t format = ReadRegInteger(reg_, "HCU", kSettingsKey, "StatSaveFormat");
  if (format >= 0 && format <= 2) ChooseFormat(static_cast<StatSaveFormat>(format));
  visible_ = true;
}

void SettingsDialog::ChooseFolder(const std::optional<std::string>& picked) {
  if (!picked) return;
  pending_ = *picked;
  ShowFolder(*picked);
}

void SettingsDialog::ChooseFormat(StatSaveFormat format) {
  xls_ = format == StatSaveFormat::Xls;
  csv_ = format == StatSaveFormat::Csv;
  html_ = format == StatSaveFormat::Html;
}

void SettingsDialog::Apply() {
  std::int32_t number = 0;
  if (xls_) number = 0;
  if (csv_) number = 1;
  if (html_) number = 2;
  (void)WriteRegInteger(reg_, "HCU", kSettingsKey, "StatSaveFormat", number);
  (void)WriteRegString(reg_, "HCU", kSettingsKey, "LogPath", pending_);
  rt_.LogFolder = pending_;
  visible_ = false;
}

}  // namespace rw
