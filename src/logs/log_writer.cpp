#include "logs/log_writer.h"

#include <algorithm>
#include <limits>
#include <string_view>

#include "common/files.h"
#include "common/paths.h"

namespace rw {
namespace {

void PutEncoded(ByteWriter& out, std::string_view plain, int key) {
  for (char ch : plain) out.U16Le(static_cast<std::uint16_t>(static_cast<unsigned char>(ch) + key));
}

// A length byte, the characters (cut to width - 1), zero bytes up to the width.
void PutStringField(std::string& block, const std::string& text, std::uint64_t width) {
  const std::size_t n = std::min<std::size_t>(text.size(), static_cast<std::size_t>(width - 1));
  block += static_cast<char>(n);
  block.append(text, 0, n);
  block.append(static_cast<std::size_t>(width - 1) - n, '\0');
}

void PutI32(std::string& block, std::int32_t v) {
  const auto u = static_cast<std::uint32_t>(v);
  for (int i = 0; i < 4; ++i) block += static_cast<char>((u >> (8 * i)) & 0xFF);
}

}  // namespace

Result<Bytes> BuildLogBytes(const LogContents& c) {
  std::array<std::int32_t, kLogTableCount> lengths{};
  for (int k = 0; k < kLogTableCount; ++k) {
    const std::uint64_t n = c.Streams[static_cast<std::size_t>(k)].size();
    if (2 * n > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
      return MakeError(ErrorCode::TooLarge, "Table " + std::to_string(k + 1) + " is too large for a log (" +
                                                std::to_string(n) + " bytes).");
    }
    lengths[static_cast<std::size_t>(k)] = static_cast<std::int32_t>(2 * n);
  }

  std::string block;
  block.reserve(kLogHeaderBlockSize);
  PutStringField(block, c.User, kLogUserWidth);
  PutStringField(block, c.HomeAbbr, kLogAbbrWidth);
  PutStringField(block, c.AwayAbbr, kLogAbbrWidth);
  PutStringField(block, c.LogName, kLogNameWidth);
  for (std::int32_t len : lengths) PutI32(block, len);

  const int key = LogKey(c.WrittenAt, c.GameEndAt);
  ByteWriter out;
  std::uint64_t total = kLogTablesOffset;
  for (const auto& s : c.Streams) total += s.empty() ? 0 : 2 * (s.size() - 1);
  out.bytes().reserve(static_cast<std::size_t>(total));

  out.I32Le(c.Version);
  out.F64Le(c.WrittenAt);
  out.F64Le(c.GameEndAt);
  PutEncoded(out, block, key);
  for (const auto& s : c.Streams) {
    if (!s.empty()) PutEncoded(out, std::string_view(s).substr(0, s.size() - 1), key);
  }
  return out.Take();
}

std::string LogFileName(const std::string& user, const std::string& homeAbbr, const std::string& awayAbbr,
                        const LocalDateTime& at) {
  return SafeFileName(user + "__" + homeAbbr + "-" + awayAbbr + "__" + FileTimeStamp(at) + ".log");
}

Status SaveLog(MainWindowState& window, const RuntimeValues& rt, IClock& clock) {
  window.Enable(CommandId::Mail, true);
  const std::string name = LogFileName(rt.UserName, rt.HomeTeamAbbr, rt.AwayTeamAbbr, clock.Now());

  LogContents c;
  const TCellTable* tables[kLogTableCount] = {&window.PlayerGrid, &window.PlayerStat, &window.StatGrid,
                                              &window.SummaryGrid, &window.RulesGrid};
  for (int k = 0; k < kLogTableCount; ++k) tables[k]->SaveCells(c.Streams[static_cast<std::size_t>(k)]);

  window.SetLabel(LabelId::Label11, "Log: " + name);

  c.User = rt.UserName;
  c.HomeAbbr = rt.HomeTeamAbbr;
  c.AwayAbbr = rt.AwayTeamAbbr;
  c.LogName = name;
  c.WrittenAt = ToOleDate(clock.Now());
  c.GameEndAt = ToOleDate(rt.GameEndTime);
  c.Version = rt.LogFormatVersion;

  auto bytes = BuildLogBytes(c);
  if (!bytes) return bytes.error();
  if (Status st = WriteFileAtomic(JoinSystemPath(rt.LogFolder, name), *bytes); !st) return st;

  window.SetPanel(2, " " + name);
  return Status::Ok();
}

}  // namespace rw
