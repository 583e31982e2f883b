#pragma once
// The command-line front end. Commands take their output and error streams as parameters so
// tests run them in-process against exact text and exit codes.

#include <iosfwd>
#include <string>
#include <vector>

namespace rw::cli {

// Exit codes shared by every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // the command ran and failed
inline constexpr int kExitUsage = 2;   // the command line is wrong

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace rw::cli
