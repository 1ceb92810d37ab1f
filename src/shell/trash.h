// The desktop's trash (the freedesktop.org trash: files and their
// .trashinfo records under $XDG_DATA_HOME/Trash, or a volume's own trash
// folder), where KILL puts files while the recycle setting is on. The
// toolkit knows its rules, so the move is the toolkit's; the window calls
// it directly, the batch mode and the terminal through the settings module
// they load on first use (DeferredMoveToTrash).
#pragma once

#include <string>

namespace torvic::shell {

// 0, or an errno: EACCES when the toolkit refused the move, ENOENT when the
// file is gone.
int QtMoveToTrash(const std::string& path);

}  // namespace torvic::shell

// The module's entry point (libtorvic_settings.so).
extern "C" int TorvicMoveToTrash(const char* path);
