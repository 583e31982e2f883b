#include "shell/mail.h"

#include <gtest/gtest.h>

#include "shell/messages.h"
#include "shell/window_placement.h"
#include "support/fakes.h"

namespace rw {
namespace {

TEST(Mail, LinkForAPathWithBlanksAndAnAmpersand) {
  MainWindowState window;
  window.SetPanel(2, " C:\\My Logs\\A & B game.log");
  test::FakeUi ui;
  test::FakeShell shell;
  MailCommand(window, ui, shell);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Attach file to e-mail manually:\r\n C:\\My Logs\\A & B game.log");
  EXPECT_EQ(ui.messages[0].caption, "Information!");
  ASSERT_EQ(shell.opened.size(), 1u);
  EXPECT_EQ(shell.opened[0],
            "MailTo:?subject=Rinkwarden%20Online%20Game%20Log&body=Attach%20it:%20"
            "%20C%3A%5CMy%20Logs%5CA%20%26%20B%20game.log");
}

TEST(Messages, CaptionAndIconFollowTheKind) {
  test::FakeUi ui;
  for (int kind : {0, 1, 2, 7}) ShowKindMessage(ui, "t", kind);
  ASSERT_EQ(ui.messages.size(), 4u);
  EXPECT_EQ(ui.messages[0].caption, "Information!");
  EXPECT_EQ(ui.messages[1].caption, "Error!");
  EXPECT_EQ(ui.messages[2].caption, "Warning!");
  EXPECT_EQ(ui.messages[2].icon, MessageIcon::Warning);
  EXPECT_EQ(ui.messages[3].caption, "");
  EXPECT_EQ(ui.messages[3].icon, MessageIcon::None);
}

TEST(WindowPlacementStore, RoundTripKeepsMaximised) {
  MemoryRegistry reg;
  const WindowPlacement current{false, 10, 20, 793, 625};
  EXPECT_EQ(ReadWindowPlacement(reg, current), current);  // nothing stored: the current values
  const WindowPlacement closed{true, 5, 6, 800, 600};
  ASSERT_TRUE(WriteWindowPlacement(reg, closed));
  EXPECT_EQ(ReadWindowPlacement(reg, current), closed);
}

}  // namespace
}  // namespace rw
