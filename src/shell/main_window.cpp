#include "shell/main_window.h"

namespace rw {

MainWindowState::MainWindowState() {
  for (TCellTable* t : {&RulesGrid, &StatGrid, &PlayerStat, &SummaryGrid, &PlayerGrid}) {
    t->ColCount(1);
    t->RowCount(2);
  }
  for (int i = 0; i < kLabelCount; ++i)
    labels_[static_cast<std::size_t>(i)] = StartCaption(static_cast<LabelId>(i));
  for (int i = 0; i < kCommandCount; ++i) {
    const auto id = static_cast<CommandId>(i);
    enabled_[static_cast<std::size_t>(i)] =
        !(id == CommandId::Mail || id == CommandId::ManualSave || id == CommandId::Update);
  }
}

TCellTable& MainWindowState::Grid(GridId id) {
  switch (id) {
    case GridId::RulesGrid:
      return RulesGrid;
    case GridId::StatGrid:
      return StatGrid;
    case GridId::PlayerStat:
      return PlayerStat;
    case GridId::SummaryGrid:
      return SummaryGrid;
    case GridId::PlayerGrid:
      break;
  }
  return PlayerGrid;
}

const TCellTable& MainWindowState::Grid(GridId id) const {
  return const_cast<MainWindowState*>(this)->Grid(id);
}

void MainWindowState::SetLabel(LabelId id, std::string text) {
  auto& slot = labels_[static_cast<std::size_t>(id)];
  if (slot == text) return;
  slot = std::move(text);
  Announce({WindowChange::Kind::Label, static_cast<int>(id)});
}

void MainWindowState::SetPanel(int index, std::string text) {
  if (index < 0 || index > 2) return;
  auto& slot = panels_[static_cast<std::size_t>(index)];
  if (slot == text) return;
  slot = std::move(text);
  Announce({WindowChange::Kind::Panel, index});
}

void MainWindowState::Enable(CommandId id, bool on) {
  auto& slot = enabled_[static_cast<std::size_t>(id)];
  if (slot == on) return;
  slot = on;
  Announce({WindowChange::Kind::Command, static_cast<int>(id)});
}

void MainWindowState::ShowPlayerGrid(bool visible) {
  if (playerGridVisible_ == visible) return;
  playerGridVisible_ = visible;
  Announce({WindowChange::Kind::PlayerGridVisible, 0});
}

void MainWindowState::Announce(const WindowChange& change) {
  for (const auto& l : listeners_) l(change);
}

const char* MainWindowState::Tooltip(CommandId id) {
  switch (id) {
    case CommandId::Mail:
      return "Send Rinkwarden Log to opponent E-mail";
    case CommandId::LoadLog:
      return "Load Rinkwarden Log";
    case CommandId::ManualSave:
      return "Manual Stat Save (Not Rinkwarden Log)";
    case CommandId::Update:
      return "Update Stat and Log Info";
    case CommandId::CheckLogs:
      return "Check logs";
    case CommandId::Settings:
      return "Settings";
    case CommandId::Help:
      return "Help / Support";
    case CommandId::Exit:
      return "Exit";
  }
  return "";
}

const char* MainWindowState::StartCaption(LabelId id) {
  switch (id) {
    case LabelId::Label1:
      return "Now in Game Period #:";
    case LabelId::Label2:
      return "Home Team:";
    case LabelId::Label3:
      return "Away Team:";
    case LabelId::Label4:
      return "Team stat:";
    case LabelId::Label7:
      return "Player stat:";
    case LabelId::Label8:
      return "Summary stat:";
    case LabelId::Label11:
      return "Log:";
  }
  return "";
}

}  // namespace rw
