// The waiting room of a host's events, and the window timers of the hosts
// that watch the clock themselves. The batch host, the window host and the
// terminal host all serve events the same way; this is that way, once.
#pragma once

#include <cstdint>
#include <deque>
#include <map>

#include "platform/host.h"

namespace torvic::shell {

// Key-downs, characters and timer events taken in and not yet served,
// oldest first.
class EventQueue {
 public:
  void PostKeyDown(const platform::KeyEvent& e) { events_.push_back({Event::KeyDown, e, 0}); }
  void PostChar(const platform::KeyEvent& e) { events_.push_back({Event::Char, e, 0}); }
  // A timer's event. At most one waits per timer, so a program slower than
  // its timer does not pile them up; false when one was waiting already.
  bool PostTimer(int id);
  // Forgets the waiting event of a timer that was killed.
  void DropTimer(int id);
  bool Empty() const { return events_.empty(); }
  // A key-down or character is waiting (not only timer events).
  bool AnyKey() const {
    for (const Event& e : events_)
      if (e.kind != Event::Timer) return true;
    return false;
  }
  // Serves the oldest event to `sink` (nothing when there is none). A
  // key-down is served together with the character right behind it: one
  // key, one turn.
  void ServeOne(platform::EventSink* sink);

 private:
  struct Event {
    enum Kind { KeyDown, Char, Timer } kind;
    platform::KeyEvent key;
    int timerId;
  };
  static void Dispatch(platform::EventSink* sink, const Event& e);
  std::deque<Event> events_;
};

// Window timers by identifier, each with its interval and next due time.
class TimerTable {
 public:
  // Starts (or restarts) a timer; an interval of 0 is taken as 1 ms.
  void Set(int id, uint32_t intervalMs, uint32_t now);
  void Kill(int id) { timers_.erase(id); }
  bool Empty() const { return timers_.empty(); }
  // Posts the timers due at `now`, once each however many intervals have
  // passed, and moves their due times on. True when an event was posted.
  bool FireDue(uint32_t now, EventQueue& queue);
  // Milliseconds from `now` to the next due timer (0 when one is due), or
  // -1 without timers.
  int MsToNext(uint32_t now) const;

 private:
  struct Timer {
    uint32_t interval;
    uint32_t due;
  };
  std::map<int, Timer> timers_;
};

}  // namespace torvic::shell
