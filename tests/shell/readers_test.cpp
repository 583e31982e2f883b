// The exported files opened by real spreadsheet programs, when they are installed: each file is
// converted to CSV (UTF-8) by the program and the cells are compared. The converters exit 0
// even when they could not read a file, so only their output counts.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "shell/stat_export.h"
#include "support/fakes.h"

namespace rw {
namespace {

namespace fs = std::filesystem;
using Rows = std::vector<std::vector<std::string>>;

// The cells as a reader shows them, in UTF-8. "caf\xE9" is written in code page 1252.
const Rows kCells = {
    {"Name", "Team", "Note"},
    {"Smith, J", "ABC", "caf\xC3\xA9"},
    {"O\"Neil", "", "<b>x&y</b>"},
};

TCellTable ExportedTable() {
  TCellTable t(3, 3);
  const char* cells[3][3] = {
      {"Name", "Team", "Note"}, {"Smith, J", "ABC", "caf\xE9"}, {"O\"Neil", "", "<b>x&y</b>"}};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) t.SetCell(c, r, cells[r][c]);
  return t;
}

// Enough of CSV for the converters' output: quoted fields with doubled quotes, CR LF or LF.
Rows ParseCsv(const std::string& text) {
  Rows rows;
  std::vector<std::string> row;
  std::string field;
  bool quoted = false, any = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        field += c;
      }
    } else if (c == '"') {
      quoted = any = true;
    } else if (c == ',') {
      row.push_back(std::move(field));
      field.clear();
      any = true;
    } else if (c == '\n' || c == '\r') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      row.push_back(std::move(field));
      rows.push_back(std::move(row));
      row.clear();
      field.clear();
      any = false;
    } else {
      field += c;
      any = true;
    }
  }
  if (any || !field.empty()) {
    row.push_back(std::move(field));
    rows.push_back(std::move(row));
  }
  return rows;
}

std::string ReadText(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool Shell(const std::string& command) {
  return std::system(command.c_str()) == 0;
}

bool HaveProgram(const std::string& name) {
  return Shell("command -v " + name + " >/dev/null 2>&1");
}

class ReadersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const TCellTable t = ExportedTable();
    ASSERT_TRUE(SaveGridToXls(t, File("stat.xls")).ok());
    ASSERT_TRUE(SaveGridToCsv(t, File("stat.csv")).ok());
    ASSERT_TRUE(SaveGridToHtml(t, File("stat.html")).ok());
    fs::create_directory(dir.path() / "out");
  }
  std::string File(const std::string& name) const { return (dir.path() / name).string(); }
  std::string Out(const std::string& name) const { return (dir.path() / "out" / name).string(); }
  std::string Log() const { return " >" + File("tool.log") + " 2>&1"; }

  test::TempDir dir;
};

TEST_F(ReadersTest, Gnumeric) {
  if (!HaveProgram("ssconvert")) GTEST_SKIP() << "ssconvert (gnumeric) is not installed";
  const std::pair<const char*, const char*> inputs[] = {
      {"stat.xls", ""}, {"stat.csv", ""}, {"stat.html", "-I Gnumeric_html:html "}};
  for (const auto& [input, importer] : inputs) {
    SCOPED_TRACE(input);
    const std::string out = Out(std::string(input) + ".ss.csv");
    Shell("timeout 120 ssconvert " + std::string(importer) + File(input) + " " + out + Log());
    EXPECT_EQ(ParseCsv(ReadText(out)), kCells) << ReadText(File("tool.log"));
  }
}

TEST_F(ReadersTest, LibreOffice) {
  if (!HaveProgram("soffice")) GTEST_SKIP() << "LibreOffice (libreoffice-calc-nogui) is not installed";
  // A profile of its own, so the test neither needs nor touches the user's.
  const std::string profile = "-env:UserInstallation=file://" + File("lo-profile");
  const std::pair<const char*, const char*> inputs[] = {
      {"stat.xls", ""},
      {"stat.csv", "--infilter='Text - txt - csv (StarCalc):44,34,1' "},  // code page 1252
      {"stat.html", "--infilter=calc_HTML_WebQuery "},                    // Calc, not Writer
  };
  for (const auto& [input, filter] : inputs) {
    SCOPED_TRACE(input);
    const std::string outDir = Out(std::string(input) + ".lo");
    fs::create_directory(outDir);
    Shell("timeout 180 soffice " + profile + " --headless " + filter +
          "--convert-to 'csv:Text - txt - csv (StarCalc):44,34,76' --outdir " + outDir + " " + File(input) +
          Log());
    EXPECT_EQ(ParseCsv(ReadText(fs::path(outDir) / "stat.csv")), kCells) << ReadText(File("tool.log"));
  }
}

TEST_F(ReadersTest, Xlrd) {
  // Debian's own python3, where python3-xlrd installs; another python3 earlier on PATH may lack it.
  if (!Shell("/usr/bin/python3 -c 'import xlrd' >/dev/null 2>&1"))
    GTEST_SKIP() << "python3-xlrd is not installed";
  const std::string out = Out("stat.xlrd.csv");
  Shell(
      "timeout 60 /usr/bin/python3 -c 'import csv, sys, xlrd\n"
      "s = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)\n"
      "w = csv.writer(open(sys.argv[2], \"w\", encoding=\"utf-8\", newline=\"\"))\n"
      "for r in range(s.nrows): w.writerow([s.cell_value(r, c) for c in range(s.ncols)])' " +
      File("stat.xls") + " " + out + Log());
  EXPECT_EQ(ParseCsv(ReadText(out)), kCells) << ReadText(File("tool.log"));
}

}  // namespace
}  // namespace rw
