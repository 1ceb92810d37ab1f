// The help book's Markdown sources (docs/help/*.md), built into the
// executable: the build turns each file into a string of the generated
// help_sources.cpp (cmake/embed_help.cmake), so the batch mode needs no
// file beside it to answer HELP.
#pragma once

#include <span>
#include <string_view>

namespace torvic::help {

struct HelpSource {
  std::string_view name;  // the file's name without ".md"
  std::string_view text;  // its Markdown
};

// In file-name order, which is the order of the chapters.
std::span<const HelpSource> HelpSources();

}  // namespace torvic::help
