# Writes the help book's Markdown files into a C++ source, one raw string
# per file, so that every executable carries its help. Run as
#   cmake -DOUT=<file.cpp> "-DSOURCES=a.md;b.md" -P embed_help.cmake
list(SORT SOURCES)
set(body "")
foreach(source ${SOURCES})
  get_filename_component(name "${source}" NAME_WE)
  file(READ "${source}" text)
  string(FIND "${text}" ")torvichelp\"" clash)
  if(NOT clash EQUAL -1)
    message(FATAL_ERROR "${source} holds the string's closing delimiter")
  endif()
  string(APPEND body "    {\"${name}\", R\"torvichelp(${text})torvichelp\"},\n")
endforeach()
file(WRITE "${OUT}.new" "// Generated from docs/help by cmake/embed_help.cmake: do not edit.
#include \"help/help_sources.h\"

namespace torvic::help {

namespace {
constexpr HelpSource kSources[] = {
${body}};
}  // namespace

std::span<const HelpSource> HelpSources() { return kSources; }

}  // namespace torvic::help
")
file(COPY_FILE "${OUT}.new" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.new")
