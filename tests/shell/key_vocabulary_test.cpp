// The rules the three front ends share: how a key press becomes the core's
// events, the event queue's order, the timers, the message-box buttons.
#include "shell/key_vocabulary.h"

#include <gtest/gtest.h>

#include <vector>

#include "shell/event_queue.h"
#include "shell/message_buttons.h"

namespace torvic::shell {
namespace {

namespace vk = platform::vk;
using platform::Answer;
using platform::Buttons;

TEST(KeyVocabulary, KeyPressesBecomeAKeyDownAndTheCharacterTyped) {
  struct Case {
    const char* what;
    KeyPress press;
    bool keyDown;
    uint32_t key;
    bool ctrl;
    bool hasChar;
    uint32_t character;
  };
  const Case cases[] = {
      {"letter", {'A', 'a'}, true, 'A', false, true, 'a'},
      {"punctuation has no key of its own", {0, '!'}, false, 0, false, true, '!'},
      {"arrow", {vk::kUp, {}}, true, vk::kUp, false, false, 0},
      {"Enter", {vk::kReturn, 13}, true, vk::kReturn, false, true, 13},
      {"Ctrl+A", {'A', 1, true}, true, 'A', true, true, 1},
      {"Ctrl+C is Ctrl+Break", {'C', 3, true}, true, vk::kCancel, true, false, 0},
      {"Ctrl+Shift+Pause is Ctrl+Break",
       {vk::kPause, {}, true, true},
       true,
       vk::kCancel,
       true,
       false,
       0},
      {"a Break key is Ctrl+Break", {vk::kCancel, {}}, true, vk::kCancel, true, false, 0},
      {"Pause alone is Pause", {vk::kPause, {}}, true, vk::kPause, false, false, 0},
      {"Ctrl+@ types 0", {0, 0, true}, false, 0, true, true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const TranslatedKey t = TranslateKeyPress(c.press);
    EXPECT_EQ(t.hasKeyDown, c.keyDown);
    if (c.keyDown) {
      EXPECT_EQ(t.keyDown.key, c.key);
      EXPECT_EQ(t.keyDown.ctrl, c.ctrl);
    }
    EXPECT_EQ(t.hasChar, c.hasChar);
    if (c.hasChar) { EXPECT_EQ(t.character.key, c.character); }
  }
  EXPECT_FALSE(TranslateKeyPress({vk::kPause, {}, true, true}).keyDown.shift);
}

TEST(KeyVocabulary, CharactersOfKeysAndKeysOfCharacters) {
  EXPECT_EQ(CharacterOfKey(vk::kReturn), 13);
  EXPECT_EQ(CharacterOfKey(vk::kEscape), 27);
  EXPECT_EQ(CharacterOfKey(vk::kTab), 9);
  EXPECT_EQ(CharacterOfKey(vk::kBack), 8);
  EXPECT_EQ(CharacterOfKey(vk::kDelete), 0);
  EXPECT_EQ(VirtualKeyOfCharacter('q'), uint32_t('Q'));
  EXPECT_EQ(VirtualKeyOfCharacter('7'), uint32_t('7'));
  EXPECT_EQ(VirtualKeyOfCharacter(' '), vk::kSpace);
  EXPECT_EQ(VirtualKeyOfCharacter('%'), 0u);
  EXPECT_EQ(VirtualKeyOfCharacter(233), 0u);
}

struct Recorder final : platform::EventSink {
  std::vector<std::string> seen;
  void OnKeyDown(const platform::KeyEvent& e) override {
    seen.push_back("down " + std::to_string(e.key));
  }
  void OnChar(const platform::KeyEvent& e) override {
    seen.push_back("char " + std::to_string(e.key));
  }
  void OnTimer(int id) override { seen.push_back("timer " + std::to_string(id)); }
};

TEST(EventQueue, AKeyDownIsServedWithItsCharacterAndTimersDoNotPileUp) {
  EventQueue q;
  Recorder r;
  platform::KeyEvent e;
  e.key = 'A';
  q.PostKeyDown(e);
  e.key = 'a';
  q.PostChar(e);
  EXPECT_TRUE(q.PostTimer(1));
  EXPECT_FALSE(q.PostTimer(1));  // one waits already
  EXPECT_TRUE(q.PostTimer(2));
  q.DropTimer(2);
  q.ServeOne(&r);
  EXPECT_EQ(r.seen, (std::vector<std::string>{"down 65", "char 97"}));
  q.ServeOne(&r);
  EXPECT_EQ(r.seen.back(), "timer 1");
  EXPECT_TRUE(q.Empty());
  q.ServeOne(&r);  // nothing to serve: nothing happens
  EXPECT_EQ(r.seen.size(), 3u);
}

TEST(TimerTable, ADueTimerFiresOnceHoweverLateAndKeepsItsRhythm) {
  TimerTable timers;
  EventQueue q;
  Recorder r;
  timers.Set(1, 10, 1000);
  timers.Set(2, 0, 1000);  // an interval of 0 is 1 ms
  EXPECT_EQ(timers.MsToNext(1000), 1);
  EXPECT_FALSE(timers.FireDue(1000, q));
  EXPECT_TRUE(timers.FireDue(1055, q));  // both due, five intervals late
  while (!q.Empty()) q.ServeOne(&r);
  EXPECT_EQ(r.seen, (std::vector<std::string>{"timer 1", "timer 2"}));
  EXPECT_EQ(timers.MsToNext(1055), 1);  // timer 2, at 1056
  timers.Kill(2);
  EXPECT_EQ(timers.MsToNext(1055), 5);  // timer 1 keeps its rhythm: 1060
  timers.Kill(1);
  EXPECT_EQ(timers.MsToNext(1055), -1);
  EXPECT_TRUE(timers.Empty());
}

TEST(MessageButtons, InitialsChooseAndClosingIsCancelOrTheDefault) {
  struct Case {
    Buttons buttons;
    char key;
    bool chooses;
    Answer answer;
    Answer closed;
  };
  const Case cases[] = {
      {Buttons::Ok, 'o', true, Answer::Ok, Answer::Ok},
      {Buttons::OkCancel, 'C', true, Answer::Cancel, Answer::Cancel},
      {Buttons::YesNo, 'n', true, Answer::No, Answer::Yes},
      {Buttons::YesNo, 'c', false, Answer::Ok, Answer::Yes},
      {Buttons::YesNoCancel, 'y', true, Answer::Yes, Answer::Cancel},
      {Buttons::AbortRetryIgnore, 'I', true, Answer::Ignore, Answer::Abort},
  };
  for (const Case& c : cases) {
    const MessageButton* b = ButtonForKey(c.buttons, c.key);
    EXPECT_EQ(b != nullptr, c.chooses) << c.key;
    if (b) { EXPECT_EQ(b->answer, c.answer) << c.key; }
    EXPECT_EQ(AnswerWhenClosed(c.buttons), c.closed);
  }
  EXPECT_EQ(ButtonsOf(Buttons::YesNoCancel).size(), 3u);
  EXPECT_EQ(ButtonsOf(Buttons::YesNoCancel).front().label, "Yes");
}

}  // namespace
}  // namespace torvic::shell
