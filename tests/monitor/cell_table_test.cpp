#include "monitor/cell_table.h"

#include <gtest/gtest.h>

namespace rw {
namespace {

TEST(CellTable, SixLineStreamExample) {
  TCellTable t(2, 2);
  ASSERT_TRUE(t.ColWidths(1, 100));
  t.SetCell(0, 0, "Skill Level");
  t.SetCell(1, 0, "Injury");
  t.SetCell(0, 1, "Medium");
  EXPECT_EQ(t.SaveCells(), "2,2\r\ncw 0,64\r\ncw 1,100\r\n0,0,Skill Level\r\n1,0,Injury\r\n0,1,Medium\r\n");
}

}  // namespace
}  // namespace rw
