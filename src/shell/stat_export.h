#pragma once
// The statistics export: the team statistics, player statistics and game summary tables written
// into the log folder as XLS, CSV or HTML, one file per table, at the end of every game and on
// the manual save command.
//
// Each format has a pure builder (table -> bytes, tested byte for byte) and a writer that puts
// the bytes into one file, whole and atomically, so a failed export never leaves half a file.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/bytes.h"
#include "common/outside.h"
#include "common/result.h"
#include "monitor/cell_table.h"
#include "monitor/runtime.h"
#include "shell/main_window.h"
#include "shell/registry.h"

namespace rw {

// ---- XLS: a minimal BIFF worksheet of text cells ----
//
// Records (id u16le, length u16le, data), in this order:
//   BOF      09 08 08 00 00 00 10 00 00 00 00 00          (worksheet)
//   CODEPAGE 42 00 02 00 E4 04                             (1252: readers decode bytes > 127)
//   FONT     31 00 0A 00 C8 00 00 00 05 "Arial"            (10 pt; a cell format needs a font)
//   XF       43 00 04 00 00 00 00 00                       (format 0: without it some readers
//                                                           show an empty sheet)
//   LABEL    one per cell, column by column, each column from row 0 down, empty cells included
//   EOF      0A 00 00 00
// So a table of k columns and n rows gives 16 + 28 + 12*k*n + (sum of the cut text lengths) bytes.
inline constexpr std::size_t kXlsMaxLabelBytes = 255;  // the LABEL record's length field limit
inline constexpr std::int64_t kXlsMaxRows = 65536;     // row and column are 16-bit in a record
inline constexpr std::int64_t kXlsMaxCols = 65536;

// Appends one LABEL record: 04 02, 8 + L, row, column, format index 0, L, then L text bytes, with
// L = min(text length, 255); longer texts are cut, since the record cannot say more.
void XlsWriteLabel(ByteWriter& stream, std::uint16_t column, std::uint16_t row, std::string_view text);

// The whole file. Fails (TooLarge) for a table whose rows or columns do not fit a 16-bit index.
Result<Bytes> BuildXls(const TCellTable& table);

// ---- CSV ----
//
// One line per row, ending CR LF; cells separated by ",". Each cell: double quotes doubled; a
// text without "," CR or LF that holds a double quote is enclosed in double quotes; an empty text
// becomes ""; a text with "," CR or LF gets each CR LF pair replaced by 0x0B and is enclosed.
std::string CsvCell(std::string_view text);
std::string BuildCsv(const TCellTable& table);

// ---- HTML: a style block and one table, to be pasted into web pages ----
//
// Colours are 0xRRGGBB. The defaults are the classic Windows button-face, window and window-text
// colours.
struct HtmlColours {
  std::uint32_t header = 0xF0F0F0;      // title row background
  std::uint32_t window = 0xFFFFFF;      // data rows background
  std::uint32_t windowText = 0x000000;  // text of every row
};

// A cell's content: "&", "<", ">" and the double quote as character references (names come from
// roster files and game memory and must reach the page as text), then every CR as "<br>". An
// empty title cell, or a data cell of only blanks and control bytes, is "<br>".
std::string HtmlCellContent(std::string_view text, bool titleRow);
std::string BuildHtml(const TCellTable& table, const HtmlColours& colours = {});

// ---- Writers: build and write one file at a system path ----
//
// Failure texts are the ones the user sees: for XLS `Cannot create file "<path>". <reason>`, for
// CSV and HTML "Cannot Create file <path>".
Status SaveGridToXls(const TCellTable& table, const std::string& systemPath);
Status SaveGridToCsv(const TCellTable& table, const std::string& systemPath);
Status SaveGridToHtml(const TCellTable& table, const std::string& systemPath,
                      const HtmlColours& colours = {});

// ---- The export ----

enum class StatSaveFormat : std::int32_t { Xls = 0, Csv = 1, Html = 2 };

// The extension of a StatSaveFormat value (".xls", ".csv", ".html"); "" for any other value.
std::string StatFileExtension(std::int32_t format);

// UserName "__" HomeTeamAbbr "-" AwayTeamAbbr "_" kind "__" stamp extension, through the shared
// file-name rule (user and team names may hold bytes a file name cannot).
std::string StatFileName(const RuntimeValues& rt, std::string_view kind, std::string_view stamp,
                         std::string_view extension);

// Writes StatGrid ("teamstat"), PlayerStat ("playerstat") and SummaryGrid ("gamestat") into
// LogFolder, all with one time stamp from the clock, in the format StatSaveFormat (read afresh
// from the registry; a failed read is 0). Then sets Label4 "Team: ", Label7 "Player: " and
// Label8 "Summary: " followed by the file names. A format outside 0..2 writes nothing and sets
// the bare prefixes. A file that cannot be written ends the export with its error: the files
// before it stay, later ones are not written, the labels are untouched.
// Returns the system paths written, in order.
Result<std::vector<std::string>> SaveStat(MainWindowState& window, const RuntimeValues& rt, IRegistry& reg,
                                          IClock& clock);

}  // namespace rw
