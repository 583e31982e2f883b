#pragma once
// The main window's state, free of any UI toolkit: the five tables, the labels, the three
// status panels, the toolbar commands' enabled states and the roster table's visibility.
// Every change is announced to listeners, so a GUI redraws only what changed and the CLI's
// `watch` prints it; the core never reaches into a view.
//
// Tables are plain TCellTable members that readers fill directly; whoever changes a table
// calls TableChanged afterwards.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "monitor/cell_table.h"

namespace rw {

enum class GridId { RulesGrid, StatGrid, PlayerStat, SummaryGrid, PlayerGrid };
enum class LabelId { Label1, Label2, Label3, Label4, Label7, Label8, Label11 };
// The eight toolbar commands, left to right.
enum class CommandId {
  Mail,        // RzToolButton1 "Send Rinkwarden Log to opponent E-mail"
  LoadLog,     // RzToolButton2 "Load Rinkwarden Log"
  ManualSave,  // RzToolButton3 "Manual Stat Save (Not Rinkwarden Log)"
  Update,      // RzToolButton4 "Update Stat and Log Info"
  CheckLogs,   // RzToolButton5 "Check logs"
  Settings,    // BtnUtilities "Settings"
  Help,        // RzToolButton6 "Help / Support"
  Exit,        // RzToolButton7 "Exit"
};
inline constexpr int kCommandCount = 8;
inline constexpr int kLabelCount = 7;
inline constexpr int kGridCount = 5;

struct WindowChange {
  enum class Kind { Grid, Label, Panel, Command, PlayerGridVisible } kind;
  int which = 0;  // the GridId, LabelId, panel number (0..2) or CommandId, as an int
};

class MainWindowState {
 public:
  using Listener = std::function<void(const WindowChange&)>;

  MainWindowState();

  TCellTable RulesGrid, StatGrid, PlayerStat, SummaryGrid, PlayerGrid;
  TCellTable& Grid(GridId id);
  const TCellTable& Grid(GridId id) const;
  void TableChanged(GridId id) { Announce({WindowChange::Kind::Grid, static_cast<int>(id)}); }

  const std::string& Label(LabelId id) const { return labels_[static_cast<std::size_t>(id)]; }
  void SetLabel(LabelId id, std::string text);

  // Status bar panels 0 (roster archive), 1 (game status), 2 (current log); empty at start.
  const std::string& Panel(int index) const { return panels_[static_cast<std::size_t>(index)]; }
  void SetPanel(int index, std::string text);

  bool Enabled(CommandId id) const { return enabled_[static_cast<std::size_t>(id)]; }
  void Enable(CommandId id, bool on);

  bool PlayerGridVisible() const { return playerGridVisible_; }
  void ShowPlayerGrid(bool visible);

  // Listeners are called synchronously after each change, in the order they subscribed.
  void Subscribe(Listener listener) { listeners_.push_back(std::move(listener)); }

  static const char* Tooltip(CommandId id);
  static const char* StartCaption(LabelId id);

 private:
  void Announce(const WindowChange& change);

  std::array<std::string, kLabelCount> labels_;
  std::array<std::string, 3> panels_;
  std::array<bool, kCommandCount> enabled_{};
  bool playerGridVisible_ = true;
  std::vector<Listener> listeners_;
};

}  // namespace rw
