#include "HelpFormatter.h"

#include <sstream>

namespace etbtool {

namespace {

constexpr std::size_t kHelpWidth = 72;

// `text` broken at blanks into lines of at most `width` characters (a longer word stands alone).
std::string Wrapped(const std::string& text, std::size_t width) {
  std::istringstream words(text);
  std::string wrapped;
  std::size_t line = 0;
  for (std::string word; words >> word;) {
    if (line > 0 && line + 1 + word.size() > width) {
      wrapped += '\n';
      line = 0;
    } else if (line > 0) {
      wrapped += ' ';
      ++line;
    }
    wrapped += word;
    line += word.size();
  }
  return wrapped;
}

}  // namespace

std::string HelpFormatter::make_option_desc(const CLI::Option* option) const {
  return Wrapped(option->get_description(), kHelpWidth - get_column_width());
}

std::string HelpFormatter::make_subcommand(const CLI::App* command) const {
  std::ostringstream out;
  CLI::detail::format_help(out, command->get_display_name(true),
                           Wrapped(command->get_description(), kHelpWidth - get_column_width()),
                           get_column_width());
  return out.str();
}

}  // namespace etbtool
