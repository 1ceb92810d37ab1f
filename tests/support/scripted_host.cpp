#include "support/scripted_host.h"

namespace torvic::platform {

ScriptedHost::ScriptedHost() = default;

Host ScriptedHost::AsHost(Surface* surface) {
  return Host{*this, *this, *this, *this, *this, *this, *this, surface};
}

// --- scripting ---------------------------------------------------------------

void ScriptedHost::Post(const Event& e) { posted_.push_back(e); }

void ScriptedHost::PostKeyDown(uint32_t vk, bool ctrl, bool shift) {
  Event e;
  e.kind = Event::KeyDown;
  e.key.key = vk;
  e.key.ctrl = ctrl;
  e.key.shift = shift;
  Post(e);
}

void ScriptedHost::PostBreak() { PostKeyDown(vk::kCancel, true, false); }

void ScriptedHost::TypeKeyDown(uint32_t vk, bool ctrl, bool shift) {
  Event e;
  e.kind = Event::KeyDown;
  e.key.key = vk;
  e.key.ctrl = ctrl;
  e.key.shift = shift;
  typed_.push_back(e);
}

void ScriptedHost::TypeChar(uint32_t ch, bool ctrl, bool shift) {
  Event e;
  e.kind = Event::Char;
  e.key.key = ch;
  e.key.ctrl = ctrl;
  e.key.shift = shift;
  typed_.push_back(e);
}

void ScriptedHost::TypeText(std::string_view text) {
  for (unsigned char c : text) TypeChar(c == '\n' ? 13u : c);
}

void ScriptedHost::Advance(uint32_t ms) {
  tick_ += ms;
  FireDueTimers();
}

bool ScriptedHost::IsTimerActive(int id) const { return timers_.count(id) != 0; }

// --- EventPump -----------------------------------------------------------------

void ScriptedHost::Dispatch(const Event& e) {
  if (!sink_) return;
  switch (e.kind) {
    case Event::KeyDown: sink_->OnKeyDown(e.key); break;
    case Event::Char: sink_->OnChar(e.key); break;
    case Event::Timer: sink_->OnTimer(e.timerId); break;
  }
}

bool ScriptedHost::PumpOnce() {
  if (autoAdvance_) Advance(autoAdvance_);
  if (posted_.empty()) return false;
  Event e = posted_.front();
  posted_.pop_front();
  Dispatch(e);
  // A key-down and the character message that follows it form one turn.
  if (e.kind == Event::KeyDown && !posted_.empty() && posted_.front().kind == Event::Char) {
    Event c = posted_.front();
    posted_.pop_front();
    Dispatch(c);
  }
  return true;
}

bool ScriptedHost::AnyPending() { return !posted_.empty(); }

WaitResult ScriptedHost::WaitForEvent(WaitFor what, int timeoutMs) {
  if (!posted_.empty()) return WaitResult::EventPending;
  if (what == WaitFor::Keyboard && !typed_.empty()) {
    posted_.push_back(typed_.front());
    typed_.pop_front();
    return WaitResult::EventPending;
  }
  // Only a key can end an open-ended keyboard wait: with nothing left to
  // type, a running window timer (ON TIMER through STOP) must not keep it
  // waiting for ever.
  if (what == WaitFor::Keyboard && timeoutMs < 0) return WaitResult::InputExhausted;
  // Nothing to type: let virtual time run to the next timer or the timeout.
  uint32_t due = 0;
  bool haveTimer = NextTimerDue(due);
  uint32_t wait = haveTimer ? due - tick_ : 0;
  if (timeoutMs >= 0 && (!haveTimer || wait > static_cast<uint32_t>(timeoutMs))) {
    Advance(static_cast<uint32_t>(timeoutMs));
    return posted_.empty() ? WaitResult::TimedOut : WaitResult::EventPending;
  }
  if (!haveTimer) return WaitResult::InputExhausted;
  Advance(wait);
  return WaitResult::EventPending;
}

// --- Timers ----------------------------------------------------------------------

bool ScriptedHost::SetTimer(int id, uint32_t intervalMs) {
  if (intervalMs == 0) intervalMs = 1;
  timers_[id] = TimerState{intervalMs, tick_ + intervalMs};
  return true;
}

void ScriptedHost::KillTimer(int id) {
  timers_.erase(id);
  for (auto it = posted_.begin(); it != posted_.end();) {
    if (it->kind == Event::Timer && it->timerId == id) it = posted_.erase(it);
    else ++it;
  }
}

bool ScriptedHost::NextTimerDue(uint32_t& due) const {
  bool any = false;
  for (const auto& [id, t] : timers_) {
    if (!any || static_cast<int32_t>(t.due - due) < 0) due = t.due;
    any = true;
  }
  return any;
}

void ScriptedHost::FireDueTimers() {
  // Like a window timer, at most one pending timer message per timer.
  for (auto& [id, t] : timers_) {
    if (static_cast<int32_t>(tick_ - t.due) < 0) continue;
    while (static_cast<int32_t>(tick_ - t.due) >= 0) t.due += t.interval;
    bool queued = false;
    for (const Event& e : posted_)
      if (e.kind == Event::Timer && e.timerId == id) queued = true;
    if (!queued) {
      Event e;
      e.kind = Event::Timer;
      e.timerId = id;
      posted_.push_back(e);
    }
  }
}

// --- Dialogs -----------------------------------------------------------------------

Answer ScriptedHost::MessageBox(std::string_view text, std::string_view caption, Buttons buttons,
                                Icon icon) {
  Answer a = Answer::Ok;
  if (!answers_.empty()) {
    a = answers_.front();
    answers_.pop_front();
  } else {
    switch (buttons) {
      case Buttons::Ok:
      case Buttons::OkCancel: a = Answer::Ok; break;
      case Buttons::YesNo:
      case Buttons::YesNoCancel: a = Answer::Yes; break;
      case Buttons::AbortRetryIgnore: a = Answer::Abort; break;
    }
  }
  boxes_.push_back(BoxRecord{std::string(text), std::string(caption), buttons, icon, a});
  return a;
}

FileDialogResult ScriptedHost::ChooseFile(FileDialogMode mode, FileChoice& choice) {
  fileDialogs_.push_back(mode);
  if (fileChoices_.empty()) return FileDialogResult::AskOnConsole;
  const FileDialogResult r = fileChoices_.front().first;
  choice = fileChoices_.front().second;
  fileChoices_.pop_front();
  return r;
}

// --- SettingsStore ---------------------------------------------------------------------

std::optional<uint32_t> ScriptedHost::GetNumber(std::string_view key, std::string_view name) {
  auto k = keys_.find(std::string(key));
  if (k == keys_.end()) return std::nullopt;
  auto v = k->second.numbers.find(std::string(name));
  if (v == k->second.numbers.end()) return std::nullopt;
  return v->second;
}

bool ScriptedHost::SetNumber(std::string_view key, std::string_view name, uint32_t value) {
  CreateKey(key);
  keys_[std::string(key)].numbers[std::string(name)] = value;
  return true;
}

std::optional<std::string> ScriptedHost::GetString(std::string_view key, std::string_view name) {
  auto k = keys_.find(std::string(key));
  if (k == keys_.end()) return std::nullopt;
  auto v = k->second.strings.find(std::string(name));
  if (v == k->second.strings.end()) return std::nullopt;
  return v->second;
}

bool ScriptedHost::SetString(std::string_view key, std::string_view name, std::string_view value) {
  CreateKey(key);
  keys_[std::string(key)].strings[std::string(name)] = std::string(value);
  return true;
}

std::optional<std::vector<uint8_t>> ScriptedHost::GetBytes(std::string_view key,
                                                           std::string_view name) {
  auto k = keys_.find(std::string(key));
  if (k == keys_.end()) return std::nullopt;
  auto v = k->second.bytes.find(std::string(name));
  if (v == k->second.bytes.end()) return std::nullopt;
  return v->second;
}

bool ScriptedHost::SetBytes(std::string_view key, std::string_view name,
                            const std::vector<uint8_t>& value) {
  CreateKey(key);
  keys_[std::string(key)].bytes[std::string(name)] = value;
  return true;
}

bool ScriptedHost::KeyExists(std::string_view key) { return keys_.count(std::string(key)) != 0; }

bool ScriptedHost::CreateKey(std::string_view key) {
  // Creating a key creates its parents, as the registry does.
  std::string path(key);
  for (size_t i = 0; i <= path.size(); ++i)
    if (i == path.size() || path[i] == '/') keys_[path.substr(0, i)];
  return true;
}

std::vector<std::string> ScriptedHost::EnumSubKeys(std::string_view key) {
  std::vector<std::string> out;
  std::string prefix = std::string(key) + "/";
  for (const auto& [path, values] : keys_) {
    if (path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0 &&
        path.find('/', prefix.size()) == std::string::npos)
      out.push_back(path.substr(prefix.size()));
  }
  return out;
}

bool ScriptedHost::DeleteKey(std::string_view key) {
  std::string k(key), prefix = k + "/";
  bool found = false;
  for (auto it = keys_.begin(); it != keys_.end();) {
    if (it->first == k || it->first.compare(0, prefix.size(), prefix) == 0) {
      it = keys_.erase(it);
      found = true;
    } else {
      ++it;
    }
  }
  return found;
}

}  // namespace torvic::platform
