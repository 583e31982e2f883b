#include "cli/app.h"

#include <gtest/gtest.h>

#include <sstream>

namespace rw::cli {
namespace {

TEST(Cli, VersionAndHelp) {
  std::ostringstream out, err;
  EXPECT_EQ(cli::Run({"--version"}, out, err), kExitOk);
  EXPECT_EQ(out.str(), std::string("rinkwarden-cli ") + RW_VERSION + "\n");
  out.str("");
  EXPECT_EQ(cli::Run({"--help"}, out, err), kExitOk);
  EXPECT_NE(out.str().find("Exit codes"), std::string::npos);
  EXPECT_EQ(cli::Run({"--bogus"}, out, err), kExitUsage);
}

}  // namespace
}  // namespace rw::cli
