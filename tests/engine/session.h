// The Session helper: an interpreter on the scripted host whose echo
// stream (what the console shows, with the entered lines) is collected as
// a transcript. For events at chosen moments and for looking at the
// interpreter's state after a session.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "console/screen.h"
#include "console/settings.h"
#include "engine/expression_context.h"
#include "engine/interpreter.h"
#include "support/scripted_host.h"

namespace torvic {

struct Session : EchoSink {
  platform::ScriptedHost host;
  platform::Host h = host.AsHost();
  SettingsMemory memory;
  ConsoleScreen screen{h, memory};
  Interpreter in{h, screen, memory};
  std::string transcript;
  // Called with the transcript so far after every echoed line end.
  std::function<void(const std::string&)> onLine;

  Session() { screen.SetEchoSink(this); }
  void Echo(const uint8_t* b, size_t n) override {
    for (size_t i = 0; i < n; ++i) {
      transcript += b[i] == 13 ? '\n' : static_cast<char>(b[i]);
      if (b[i] == 13 && onLine) onLine(transcript);
    }
  }
  std::string Run(std::string_view typed) {
    host.TypeText(typed);
    in.ShowPrompt();
    in.RunSession();
    return transcript;
  }
  double Var(char letter) { return in.Expressions().Vars().Letter(letter - 'A'); }
  std::string Text(std::string_view name) {
    const CVariable* v = in.Expressions().Vars().FindScalar(kStringScalar, name);
    return v ? std::string(v->str.View()) : std::string();
  }
  // Break, arriving after the running program has pumped `turns` times
  // (the events before it are timer messages nothing listens to).
  void PostBreakAfter(int turns) {
    for (int i = 0; i < turns; ++i) {
      platform::ScriptedHost::Event e;
      e.kind = platform::ScriptedHost::Event::Timer;
      e.timerId = 99;
      host.Post(e);
    }
    host.PostBreak();
  }
  bool Has(std::string_view text) const { return transcript.find(text) != std::string::npos; }
  static bool EndsWith(const std::string& s, std::string_view tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
  }
};

// A table case: a typed session, the letter variables it must leave, and a
// text the console must (or must not) show.
struct SessionCase {
  const char* name;
  const char* typed;
  std::vector<std::pair<char, double>> letters;  // expected values afterwards
  const char* shown = nullptr;                   // a text the console must show
  const char* notShown = nullptr;                // one it must not show
};

inline void RunSessionCases(const std::vector<SessionCase>& cases) {
  for (const SessionCase& c : cases) {
    Session s;
    s.Run(c.typed);
    for (const auto& [letter, value] : c.letters)
      EXPECT_EQ(s.Var(letter), value) << c.name << ": " << letter << "\n" << s.transcript;
    if (c.shown) { EXPECT_TRUE(s.Has(c.shown)) << c.name << "\n" << s.transcript; }
    if (c.notShown) { EXPECT_FALSE(s.Has(c.notShown)) << c.name << "\n" << s.transcript; }
  }
}

}  // namespace torvic
