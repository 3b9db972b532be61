#pragma once

#include <CLI/CLI.hpp>
#include <string>

namespace etbtool {

// CLI11's help with the descriptions of options and commands wrapped, so that no line of it
// passes 72 columns: a terminal of 80 shows it unwrapped, and so does the man page, which
// indents each command's help by 7.
class HelpFormatter : public CLI::Formatter {
 public:
  std::string make_option_desc(const CLI::Option* option) const override;
  std::string make_subcommand(const CLI::App* command) const override;
};

}  // namespace etbtool
