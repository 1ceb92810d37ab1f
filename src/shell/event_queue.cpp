#include "shell/event_queue.h"

namespace torvic::shell {

bool EventQueue::PostTimer(int id) {
  for (const Event& e : events_)
    if (e.kind == Event::Timer && e.timerId == id) return false;
  events_.push_back({Event::Timer, {}, id});
  return true;
}

void EventQueue::DropTimer(int id) {
  for (auto it = events_.begin(); it != events_.end();)
    it = (it->kind == Event::Timer && it->timerId == id) ? events_.erase(it) : it + 1;
}

void EventQueue::Dispatch(platform::EventSink* sink, const Event& e) {
  if (!sink) return;
  switch (e.kind) {
    case Event::KeyDown: sink->OnKeyDown(e.key); break;
    case Event::Char: sink->OnChar(e.key); break;
    case Event::Timer: sink->OnTimer(e.timerId); break;
  }
}

void EventQueue::ServeOne(platform::EventSink* sink) {
  if (events_.empty()) return;
  const Event e = events_.front();
  events_.pop_front();
  Dispatch(sink, e);
  if (e.kind == Event::KeyDown && !events_.empty() && events_.front().kind == Event::Char) {
    const Event c = events_.front();
    events_.pop_front();
    Dispatch(sink, c);
  }
}

void TimerTable::Set(int id, uint32_t intervalMs, uint32_t now) {
  if (intervalMs == 0) intervalMs = 1;
  timers_[id] = Timer{intervalMs, now + intervalMs};
}

bool TimerTable::FireDue(uint32_t now, EventQueue& queue) {
  bool posted = false;
  for (auto& [id, t] : timers_) {
    if (static_cast<int32_t>(now - t.due) < 0) continue;
    t.due += ((now - t.due) / t.interval + 1) * t.interval;  // the first due time after now
    posted = queue.PostTimer(id) || posted;
  }
  return posted;
}

int TimerTable::MsToNext(uint32_t now) const {
  int best = -1;
  for (const auto& [id, t] : timers_) {
    int d = static_cast<int32_t>(t.due - now);
    if (d < 0) d = 0;
    if (best < 0 || d < best) best = d;
  }
  return best;
}

}  // namespace torvic::shell
