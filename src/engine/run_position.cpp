#include "engine/run_position.h"

namespace torvic {

ForRecord& RunPosition::EnterLoop(bool immediate, int letter, std::string_view name) {
  // A loop of the same variable is replaced: its record moves up to be the
  // newest and is filled anew; otherwise a record is added.
  for (size_t i = forList_.size(); i-- > 0;) {
    ForRecord& r = forList_[i];
    const bool same = letter >= 0 ? r.letter == letter : r.letter < 0 && r.name == name;
    if (r.immediate == immediate && same) {
      std::rotate(forList_.begin() + static_cast<ptrdiff_t>(i),
                  forList_.begin() + static_cast<ptrdiff_t>(i) + 1, forList_.end());
      ForRecord& moved = forList_.back();
      moved.active = true;
      return moved;
    }
  }
  ForRecord& added = forList_.emplace_back();
  try {
    added.immediate = immediate;
    added.letter = letter;
    if (letter < 0) added.name.assign(name);
  } catch (...) {
    // The name found no room: no record is left half made.
    forList_.pop_back();
    throw;
  }
  return added;
}

}  // namespace torvic
