// The help text is cli/help.txt, compiled in as kHelpText (help_text.h, made at build time):
//   # NAME            the title, a one-line summary, then a description
//   ## USAGE          a command: its usage line (the first word names it), a one-line summary,
//                     a description, options ("--name: what it does", continued on the lines
//                     below) and "Example: ..."
//   ### TOPIC         a section of the overview and the manual page
#include "cli/help.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "cli/help_text.h"

namespace {

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    lines.push_back(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
  }
  return lines;
}

bool StartsWith(std::string_view line, std::string_view prefix) { return line.substr(0, prefix.size()) == prefix; }

// A "## " block of the help text: the lines from its usage line to the next heading.
struct Block {
  std::string_view heading;
  std::vector<std::string_view> body;
};

std::vector<Block> Blocks(std::string_view prefix) {
  std::vector<Block> blocks;
  for (std::string_view line : Lines(kHelpText)) {
    if (StartsWith(line, "#")) {
      if (StartsWith(line, prefix) && line.substr(prefix.size(), 1) != "#") blocks.push_back({line.substr(prefix.size()), {}});
      else blocks.push_back({"", {}});
    } else if (!blocks.empty()) {
      blocks.back().body.push_back(line);
    }
  }
  blocks.erase(std::remove_if(blocks.begin(), blocks.end(), [](const Block& b) { return b.heading.empty(); }),
               blocks.end());
  return blocks;
}

std::string_view CommandName(std::string_view usage) { return usage.substr(0, usage.find(' ')); }

// A summary as a sentence: "the chunks" gives "The chunks.".
std::string Sentence(std::string_view summary) {
  std::string sentence(summary);
  if (!sentence.empty()) sentence[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(sentence[0])));
  return sentence + ".";
}

bool IsOption(std::string_view line) { return StartsWith(line, "-") && line.find(": ") != std::string_view::npos; }

void PrintOptions(std::ostream& out, const std::vector<std::string_view>& body) {
  bool any = false;
  for (std::string_view line : body) {
    if (StartsWith(line, "Example: ")) break;
    if (IsOption(line)) {
      out << (any ? "\n" : "\nOptions:\n") << "  " << line.substr(0, line.find(": ")) << "\n      "
          << line.substr(line.find(": ") + 2);
      any = true;
    } else if (any) {
      out << "\n      " << line;
    }
  }
  if (any) out << '\n';
}

}  // namespace

void PrintOverview(std::ostream& out) {
  const std::vector<Block> commands = Blocks("## ");
  std::size_t width = 0;
  for (const Block& command : commands) width = std::max(width, command.heading.size());
  bool first = true;
  for (const Block& command : commands) {
    out << (first ? "usage: " : "       ") << "stowr-cli " << command.heading
        << std::string(width + 2 - command.heading.size(), ' ') << (command.body.empty() ? "" : command.body[0])
        << '\n';
    first = false;
  }
  for (const Block& topic : Blocks("### ")) {
    out << '\n' << topic.heading << '\n';
    for (std::string_view line : topic.body)
      if (!line.empty()) out << line << '\n';
  }
  out << "\nstowr-cli help COMMAND tells what a command does, its options and an example.\n";
}

bool PrintCommandHelp(std::ostream& out, std::string_view command) {
  const std::vector<Block> commands = Blocks("## ");
  const auto block = std::find_if(commands.begin(), commands.end(),
                                  [&](const Block& b) { return CommandName(b.heading) == command; });
  if (block == commands.end()) return false;
  out << "usage: stowr-cli " << block->heading << '\n';
  std::string_view example;
  bool described = true;  // the description goes on until the first option or example
  for (std::size_t i = 0; i < block->body.size(); ++i) {
    const std::string_view line = block->body[i];
    if (StartsWith(line, "Example: ")) example = line.substr(9);
    described = described && !IsOption(line) && example.empty();
    if (i == 0) out << Sentence(line) << '\n';
    else if (described && !line.empty()) out << line << '\n';
  }
  PrintOptions(out, block->body);
  if (!example.empty()) out << "\nExample:\n  " << example << '\n';
  return true;
}
