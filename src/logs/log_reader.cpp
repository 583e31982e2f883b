#include "logs/log_reader.h"

#include <algorithm>

#include "common/files.h"
#include "common/paths.h"

namespace rw {
namespace {

std::uint8_t DecodeWord(std::uint8_t low, int key) {
  return static_cast<std::uint8_t>((low - (key & 0xFF)) & 0xFF);
}

// A string field of the plain header block: the length byte, cut to the characters the field
// can hold, so a crafted length byte never reads into the next field.
std::string StringField(const std::string& block, std::uint64_t offset, std::uint64_t width) {
  const auto n = std::min<std::uint64_t>(static_cast<unsigned char>(block[offset]), width - 1);
  return block.substr(static_cast<std::size_t>(offset + 1), static_cast<std::size_t>(n));
}

std::int32_t I32Field(const std::string& block, std::uint64_t offset) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(block[offset + i]);
  return static_cast<std::int32_t>(v);
}

Status Fail(IUi& ui, ErrorCode code, std::string message, std::int64_t offset = -1) {
  ui.Beep();
  return MakeError(code, std::move(message), offset);
}

}  // namespace

std::array<std::string, kLogTableCount> DecodeLogTables(
    ByteSpan file, int key, const std::array<std::int32_t, kLogTableCount>& lengths) {
  // Boundaries in 64 bits: a stored length may be anything from -2^31 to 2^31 - 1.
  std::array<std::int64_t, kLogTableCount> bounds{};
  bounds[0] = static_cast<std::int64_t>(kLogTablesOffset);
  for (int k = 1; k < kLogTableCount; ++k) {
    bounds[static_cast<std::size_t>(k)] =
        bounds[static_cast<std::size_t>(k - 1)] +
        static_cast<std::int64_t>(lengths[static_cast<std::size_t>(k - 1)]) - 2;
  }

  std::array<std::string, kLogTableCount> streams;
  std::size_t k = 0;
  const std::uint64_t size = file.size();
  for (std::uint64_t o = kLogTablesOffset; o + 2 <= size; o += 2) {
    if (k < static_cast<std::size_t>(kLogTableCount) && static_cast<std::int64_t>(o) == bounds[k]) ++k;
    streams[k - 1] += static_cast<char>(DecodeWord(file[static_cast<std::size_t>(o)], key));
  }
  return streams;
}

Status EnCoding(LogCaller caller, const std::string& path, const LogTables& tables, TLogHeader& header,
                MainWindowState* window, IUi& ui, std::int32_t expectedVersion) {
  // 1. Whatever happens next, no table keeps anything of an earlier log.
  for (TCellTable* t : tables) {
    t->RowCount(2);
    t->ColCount(1);
  }
  for (TCellTable* t : tables) t->ClearCells();

  // 2-3. The file and its version.
  auto file = ReadWholeFile(path);
  if (!file) {
    ui.Beep();
    return file.error();
  }
  const ByteReader in(*file);
  const auto version = in.I32LeAt(kLogVersionOffset);
  if (!version) return Fail(ui, ErrorCode::Truncated, "The log \"" + path + "\" has no version.", 0);
  if (*version != expectedVersion) {
    ui.ShowMessage(kWrongLogVersionText, "Warning!", MessageIcon::Warning);
    return MakeError(ErrorCode::Invalid,
                     "The log \"" + path + "\" has version " + std::to_string(*version) + ", not " +
                         std::to_string(expectedVersion) + ".",
                     0);
  }

  // 4. The key from exactly the two stored date-times.
  const auto writtenAt = in.F64LeAt(kLogWrittenAtOffset);
  const auto gameEndAt = in.F64LeAt(kLogGameEndAtOffset);
  if (!writtenAt || !gameEndAt) {
    return Fail(ui, ErrorCode::Truncated, "The log \"" + path + "\" ends inside its date-times.",
                static_cast<std::int64_t>(in.size()));
  }
  const int key = LogKey(*writtenAt, *gameEndAt);

  // 5. The header block; the word's high byte carries nothing.
  if (in.size() < kLogTablesOffset) {
    return Fail(ui, ErrorCode::Truncated, "The log \"" + path + "\" ends inside its header.",
                static_cast<std::int64_t>(in.size()));
  }
  std::string block(static_cast<std::size_t>(kLogHeaderBlockSize), '\0');
  for (std::uint64_t i = 0; i < kLogHeaderBlockSize; ++i) {
    block[static_cast<std::size_t>(i)] =
        static_cast<char>(DecodeWord((*file)[static_cast<std::size_t>(kLogHeaderOffset + 2 * i)], key));
  }

  // 6. Its fields.
  const std::string user = StringField(block, kLogUserField, kLogUserWidth);
  const std::string homeAbbr = StringField(block, kLogHomeAbbrField, kLogAbbrWidth);
  const std::string awayAbbr = StringField(block, kLogAwayAbbrField, kLogAbbrWidth);
  const std::string logName = StringField(block, kLogNameField, kLogNameWidth);
  std::array<std::int32_t, kLogTableCount> lengths{};
  for (std::size_t k = 0; k < lengths.size(); ++k) lengths[k] = I32Field(block, kLogLengthsField + 4 * k);

  // 7-8. The label and the header record, Version last.
  if (caller != LogCaller::LogCheckWindow && window) {
    window->SetLabel(LabelId::Label11, "Log from " + user + ": " + FileNameOf(path));
  }
  header.LogName = logName;
  header.User = user;
  header.HomeAbbr = homeAbbr;
  header.AwayAbbr = awayAbbr;
  header.WrittenAt = *writtenAt;
  header.GameEndAt = *gameEndAt;
  header.Version = *version;

  // 9-10. The tables' streams.
  if ((in.size() - kLogTablesOffset) % 2 != 0) {
    return Fail(ui, ErrorCode::Truncated, "The log \"" + path + "\" ends inside a word.",
                static_cast<std::int64_t>(in.size() - 1));
  }
  auto streams = DecodeLogTables(*file, key, lengths);

  // 11. Each table from its own stream; the first rejected stream ends the load.
  for (std::size_t k = 0; k < tables.size(); ++k) {
    CellStream s{std::move(streams[k]), 0};
    if (Status st = tables[k]->LoadCells(s); !st) {
      return Fail(ui, st.error().code,
                  "Table " + std::to_string(k + 1) + " of the log \"" + path + "\": " + st.error().message);
    }
  }
  return Status::Ok();
}

Status LoadLogCommand(MainWindowState& window, const std::string& path, IUi& ui) {
  TLogHeader unused;
  const Status loaded = EnCoding(
      LogCaller::MainWindow, path,
      {&window.PlayerGrid, &window.PlayerStat, &window.StatGrid, &window.SummaryGrid, &window.RulesGrid},
      unused, &window, ui);
  for (GridId id :
       {GridId::PlayerGrid, GridId::PlayerStat, GridId::StatGrid, GridId::SummaryGrid, GridId::RulesGrid}) {
    window.TableChanged(id);
  }
  // The three steps below run even after a failed load, exactly as far as they can: a load
  // that left PlayerGrid with fewer than 4 columns stops them at the first.
  if (Status st = window.PlayerGrid.ColWidths(3, -1); !st) return loaded ? st : loaded;
  window.TableChanged(GridId::PlayerGrid);
  window.SetPanel(2, " " + path);
  window.Enable(CommandId::Mail, true);
  return loaded;
}

}  // namespace rw
