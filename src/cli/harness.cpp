#include "cli/harness.h"

#include "common/files.h"
#include "common/paths.h"
#include "sim/game_description.h"
#include "sim/roster_fixture.h"

namespace rw::cli {

Result<SimulatedGame> SetUpSimulatedGame(const std::string& gameFile, const std::string& folder,
                                         std::uint32_t seed) {
  Result<sim::GameDescription> game = MakeError(ErrorCode::NotFound, "no game");
  if (gameFile.empty()) {
    game = sim::BuiltInGame(sim::BuiltInGameNames().front());
  } else {
    auto text = ReadWholeFile(gameFile, 16 * 1024 * 1024);
    if (!text) return text.error();
    game = sim::ParseGameDescription(ToString(*text));
  }
  if (!game) return game.error();

  SimulatedGame out;
  CreateFolder(folder);
  out.gameFolder = JoinSystemPath(folder, "NHL07") + "\\";
  out.documentsFolder = JoinSystemPath(folder, "Documents");
  CreateFolder(out.gameFolder);
  CreateFolder(out.documentsFolder);

  sim::RosterFixtureInput roster;
  roster.GameFolder = out.gameFolder;
  roster.DocumentsFolder = out.documentsFolder;
  for (const auto& team : game->teams) {
    sim::FixtureTeam t;
    t.Name = team.name;
    t.Abbr = team.abbreviation;
    for (std::size_t j = 0; j < t.Players.size(); ++j) {
      t.Players[j].FirstName = team.players[j].first;
      t.Players[j].LastName = team.players[j].last;
    }
    roster.Teams.push_back(std::move(t));
  }
  sim::ApplySourceMix(roster);
  auto written = sim::WriteRosterFixture(roster);
  if (!written) return written.error();

  sim::SimOptions options;
  options.seed = seed;
  options.gameFolder = out.gameFolder;
  options.exhibitionSavePath = written->ExhibitionPath;
  out.simulator = std::make_unique<sim::GameSimulator>(std::move(*game), options);
  return out;
}

}  // namespace rw::cli
