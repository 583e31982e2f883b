#include "monitor/cell_table.h"

#include <gtest/gtest.h>

#include <string>

namespace rw {
namespace {

constexpr const char* kSixLines =
    "2,2\r\ncw 0,64\r\ncw 1,100\r\n0,0,Skill Level\r\n1,0,Injury\r\n0,1,Medium\r\n";

CellStream StreamOf(std::string data) {
  return CellStream{std::move(data), 0};
}

TEST(CellTable, SixLineStreamExample) {
  TCellTable t(2, 2);
  ASSERT_TRUE(t.ColWidths(1, 100));
  t.SetCell(0, 0, "Skill Level");
  t.SetCell(1, 0, "Injury");
  t.SetCell(0, 1, "Medium");
  EXPECT_EQ(t.SaveCells(), kSixLines);

  TCellTable back;
  CellStream s = StreamOf(kSixLines);
  ASSERT_TRUE(back.LoadCells(s));
  EXPECT_EQ(back, t);
  EXPECT_TRUE(s.exhausted());
}

TEST(CellTable, SaveAppendsAndStoresEmptyTableAsSizeAndWidths) {
  TCellTable t(2, 3);
  std::string out = "prefix";
  t.SaveCells(out);
  EXPECT_EQ(out, "prefix2,3\r\ncw 0,64\r\ncw 1,64\r\n");
}

TEST(CellTable, CountsWidthsAndResizing) {
  TCellTable t(3, 3);
  t.SetCell(2, 2, "corner");
  t.SetCell(0, 0, "kept");
  ASSERT_TRUE(t.ColWidths(2, -1));
  t.ColCount(2);
  t.RowCount(0);
  EXPECT_EQ(t.ColCount(), 2);
  EXPECT_EQ(t.RowCount(), 1);
  t.ColCount(3);
  t.RowCount(3);
  EXPECT_EQ(t.GetCell(2, 2), "");
  EXPECT_EQ(t.GetCell(0, 0), "kept");
  EXPECT_EQ(t.ColWidths(2), 64);

  const Status st = t.ColWidths(3, 10);
  ASSERT_FALSE(st);
  EXPECT_EQ(st.error().code, ErrorCode::Index);
  EXPECT_FALSE(t.ColWidths(-1, 10));

  t.SetCell(0, 0, "");
  EXPECT_EQ(t.StoredCells(), 0u);
  t.SetCell(1, 1, "x");
  ASSERT_TRUE(t.ColWidths(1, 7));
  t.ClearCells();
  EXPECT_EQ(t.GetCell(1, 1), "");
  EXPECT_EQ(t.ColCount(), 3);
  EXPECT_EQ(t.ColWidths(1), 7);
}

// How single texts are stored and what comes back from the stored line.
TEST(CellTable, TextEncodingInCellLines) {
  struct Case {
    const char* name;
    std::string text, storedLine, loaded;
  };
  const Case cases[] = {
      {"comma inside", "a,b", "0,1,a,b\r\n", "a,b"},
      {"CR LF becomes TAB BS and loads as first line", "x\r\ny", "0,1,x\t\by\r\n", "x"},
      {"LF without CR stays", "x\ny", "0,1,x\ny\r\n", "x\ny"},
      {"lone CR", "x\ry", "0,1,x\ty\r\n", "x\ty"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TCellTable t(1, 2);
    t.SetCell(0, 1, c.text);
    const std::string saved = t.SaveCells();
    EXPECT_EQ(saved, "1,2\r\ncw 0,64\r\n" + c.storedLine);
    TCellTable back;
    CellStream s = StreamOf(saved);
    ASSERT_TRUE(back.LoadCells(s));
    EXPECT_EQ(back.GetCell(0, 1), c.loaded);
  }
}

TEST(CellTable, LineEndingsWhenLoading) {
  struct Case {
    const char* name;
    std::string stream;
  };
  const Case cases[] = {
      {"CR LF", "2,1\r\n0,0,a\r\n1,0,b\r\n"},
      {"missing final LF", "2,1\r\n0,0,a\r\n1,0,b\r"},
      {"missing final CR LF", "2,1\r\n0,0,a\r\n1,0,b"},
      {"any byte after CR is swallowed", "2,1\rZ0,0,a\r\n1,0,b\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TCellTable t;
    CellStream s = StreamOf(c.stream);
    ASSERT_TRUE(t.LoadCells(s));
    EXPECT_EQ(t.ColCount(), 2);
    EXPECT_EQ(t.GetCell(0, 0), "a");
    EXPECT_EQ(t.GetCell(1, 0), "b");
    EXPECT_TRUE(s.exhausted());
  }
  // An LF without CR belongs to the line: the text keeps it.
  TCellTable t;
  CellStream s = StreamOf("1,1\r\n0,0,a\nb\r\n");
  ASSERT_TRUE(t.LoadCells(s));
  EXPECT_EQ(t.GetCell(0, 0), "a\nb");
}

TEST(CellTable, SizeLine) {
  TCellTable t(1, 2);
  CellStream s = StreamOf("3,4\r\n");
  ASSERT_TRUE(t.LoadCells(s));
  EXPECT_EQ(t.ColCount(), 3);
  EXPECT_EQ(t.RowCount(), 4);

  CellStream zero = StreamOf("0,0\r\n");
  ASSERT_TRUE(t.LoadCells(zero));
  EXPECT_EQ(t.ColCount(), 1);
  EXPECT_EQ(t.RowCount(), 1);

  // An empty first line keeps the counts.
  TCellTable u(2, 2);
  CellStream empty = StreamOf("\r\n1,1,z\r\n");
  ASSERT_TRUE(u.LoadCells(empty));
  EXPECT_EQ(u.ColCount(), 2);
  EXPECT_EQ(u.GetCell(1, 1), "z");
}

TEST(CellTable, RoundTripRestoresCountsWidthsAndTexts) {
  TCellTable t(4, 5);
  for (std::int32_t c = 0; c < 4; ++c) ASSERT_TRUE(t.ColWidths(c, c * 37 - 1));
  t.SetCell(0, 0, "Name");
  t.SetCell(3, 0, "-12");
  t.SetCell(1, 2, "with, commas, inside");
  t.SetCell(3, 4, "last\nline");
  t.SetCell(2, 3, std::string("\x01\x7F\xFF", 3));
  const std::string saved = t.SaveCells();

  TCellTable back = t;
  back.ClearCells();
  back.ColCount(1);
  CellStream s = StreamOf(saved);
  ASSERT_TRUE(back.LoadCells(s));
  EXPECT_EQ(back, t);
  EXPECT_EQ(back.SaveCells(), saved);
}

// The log stores several tables back to back: each load stops at the next table's size line
// (one comma only) and leaves the position at its start.
TEST(CellTable, ConsecutiveLoadsShareOneStream) {
  TCellTable a(2, 2), b(1, 3);
  a.SetCell(1, 1, "first");
  b.SetCell(0, 2, "second");
  ASSERT_TRUE(b.ColWidths(0, 0));
  CellStream s = StreamOf(a.SaveCells() + b.SaveCells());

  TCellTable ra, rb;
  ASSERT_TRUE(ra.LoadCells(s));
  EXPECT_EQ(ra, a);
  EXPECT_EQ(s.pos, a.SaveCells().size());
  ASSERT_TRUE(rb.LoadCells(s));
  EXPECT_EQ(rb, b);
  EXPECT_TRUE(s.exhausted());
}

TEST(CellTable, NonCellLineStopsSilentlyAtItsStart) {
  const std::string head = "2,2\r\n0,0,a\r\n";
  for (const std::string stop : {"END\r\n", ",1,x\r\n", "1,,x\r\n", "\r\n", "7\r\n"}) {
    SCOPED_TRACE(stop);
    TCellTable t;
    CellStream s = StreamOf(head + stop + "1,1,after\r\n");
    ASSERT_TRUE(t.LoadCells(s));
    EXPECT_EQ(t.GetCell(0, 0), "a");
    EXPECT_EQ(t.GetCell(1, 1), "");
    EXPECT_EQ(s.pos, head.size());
  }
}

TEST(CellTable, FailuresKeepWhatWasSetBefore) {
  struct Case {
    const char* name;
    std::string badLine;
    ErrorCode code;
    std::string message;
  };
  const Case cases[] = {
      {"column not a number", "x,1,b\r\n", ErrorCode::Conversion, "'x' is not a valid integer value"},
      {"row not a number", "1,1y,b\r\n", ErrorCode::Conversion, "'1y' is not a valid integer value"},
      {"width not a number", "cw 1,wide\r\n", ErrorCode::Conversion, "'wide' is not a valid integer value"},
      {"width column not a number", "cw q,5\r\n", ErrorCode::Conversion, "'q' is not a valid integer value"},
      {"width outside the table", "cw 2,5\r\n", ErrorCode::Index, ""},
      {"negative width column", "cw -1,5\r\n", ErrorCode::Index, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TCellTable t;
    CellStream s = StreamOf("2,2\r\ncw 0,10\r\n0,0,a\r\n" + c.badLine + "1,1,c\r\n");
    const Status st = t.LoadCells(s);
    ASSERT_FALSE(st);
    EXPECT_EQ(st.error().code, c.code);
    if (!c.message.empty()) {
      EXPECT_EQ(st.error().message, c.message);
    }
    EXPECT_EQ(t.ColCount(), 2);
    EXPECT_EQ(t.ColWidths(0), 10);
    EXPECT_EQ(t.GetCell(0, 0), "a");
    EXPECT_EQ(t.GetCell(1, 1), "");
  }
  TCellTable t(3, 3);
  CellStream s = StreamOf("two,2\r\n");
  EXPECT_FALSE(t.LoadCells(s));
  EXPECT_EQ(t.ColCount(), 3);
}

TEST(CellTable, CellsOutsideTheSizeLineAreSkipped) {
  TCellTable t(9, 9);
  CellStream s = StreamOf("2,2\r\n5,0,far\r\n0,7,low\r\n-1,0,neg\r\n1,1,near\r\n");
  ASSERT_TRUE(t.LoadCells(s));
  EXPECT_EQ(t.StoredCells(), 1u);
  EXPECT_EQ(t.GetCell(1, 1), "near");
  EXPECT_TRUE(s.exhausted());
}

// A crafted size line must not make a table allocate: it fails like a bad number, before the
// table changes.
TEST(CellTable, OversizedSizeLineFailsBeforeAllocating) {
  for (const std::string line :
       {"65536,1", "1,65536", "1001,1000", "2147483647,2147483647", "99999999999,1"}) {
    SCOPED_TRACE(line);
    TCellTable t(2, 2);
    t.SetCell(1, 1, "kept");
    CellStream s = StreamOf(line + "\r\n0,0,x\r\n");
    const Status st = t.LoadCells(s);
    ASSERT_FALSE(st);
    EXPECT_EQ(st.error().code, ErrorCode::Conversion);
    EXPECT_EQ(t.ColCount(), 2);
    EXPECT_EQ(t.RowCount(), 2);
    EXPECT_EQ(t.GetCell(1, 1), "kept");
    EXPECT_EQ(t.GetCell(0, 0), "");
  }
  for (const std::string line : {"65535,15", "15,65535", "1000,1000"}) {
    SCOPED_TRACE(line);
    TCellTable t;
    CellStream s = StreamOf(line + "\r\n");
    EXPECT_TRUE(t.LoadCells(s));
    EXPECT_EQ(std::to_string(t.ColCount()) + "," + std::to_string(t.RowCount()), line);
  }
}

TEST(CellTable, StrToIntIsStrictDecimal) {
  EXPECT_EQ(*StrToInt("-2147483648"), INT32_MIN);
  EXPECT_EQ(*StrToInt("2147483647"), INT32_MAX);
  EXPECT_EQ(*StrToInt("0"), 0);
  for (const char* bad : {"", "-", "2147483648", "-2147483649", " 1", "1 ", "+1", "0x10", "1e3"}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(StrToInt(bad));
  }
}

}  // namespace
}  // namespace rw
