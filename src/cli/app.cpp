#include "cli/app.h"

#include <CLI/CLI.hpp>
#include <ostream>

namespace rw::cli {

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CLI::App app{"Rinkwarden: watches NHL07 games, writes and checks game logs.", "rinkwarden-cli"};
  app.set_version_flag("--version", std::string("rinkwarden-cli ") + RW_VERSION);
  app.footer("Exit codes: 0 success, 1 the command failed, 2 usage error.");

  std::vector<std::string> argv;
  argv.reserve(args.size());
  for (auto it = args.rbegin(); it != args.rend(); ++it) argv.push_back(*it);
  try {
    app.parse(argv);
  } catch (const CLI::CallForHelp&) {
    out << app.help();
    return kExitOk;
  } catch (const CLI::CallForVersion&) {
    out << app.version() << "\n";
    return kExitOk;
  } catch (const CLI::ParseError& e) {
    err << e.what() << "\n";
    err << "Run with --help for more information.\n";
    return kExitUsage;
  }
  if (args.empty()) {
    out << app.help();
  }
  return kExitOk;
}

}  // namespace rw::cli
