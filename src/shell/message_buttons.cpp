#include "shell/message_buttons.h"

namespace torvic::shell {

using platform::Answer;
using platform::Buttons;

namespace {

constexpr MessageButton kOk{'O', "OK", Answer::Ok};
constexpr MessageButton kCancel{'C', "Cancel", Answer::Cancel};
constexpr MessageButton kYes{'Y', "Yes", Answer::Yes};
constexpr MessageButton kNo{'N', "No", Answer::No};
constexpr MessageButton kAbort{'A', "Abort", Answer::Abort};
constexpr MessageButton kRetry{'R', "Retry", Answer::Retry};
constexpr MessageButton kIgnore{'I', "Ignore", Answer::Ignore};

constexpr MessageButton kOkSet[] = {kOk};
constexpr MessageButton kOkCancelSet[] = {kOk, kCancel};
constexpr MessageButton kYesNoSet[] = {kYes, kNo};
constexpr MessageButton kYesNoCancelSet[] = {kYes, kNo, kCancel};
constexpr MessageButton kAbortRetryIgnoreSet[] = {kAbort, kRetry, kIgnore};

}  // namespace

std::span<const MessageButton> ButtonsOf(Buttons buttons) {
  switch (buttons) {
    case Buttons::Ok: return kOkSet;
    case Buttons::OkCancel: return kOkCancelSet;
    case Buttons::YesNo: return kYesNoSet;
    case Buttons::YesNoCancel: return kYesNoCancelSet;
    case Buttons::AbortRetryIgnore: return kAbortRetryIgnoreSet;
  }
  return kOkSet;
}

Answer AnswerWhenClosed(Buttons buttons) {
  const std::span<const MessageButton> set = ButtonsOf(buttons);
  for (const MessageButton& b : set)
    if (b.answer == Answer::Cancel) return b.answer;
  return set.front().answer;
}

const MessageButton* ButtonForKey(Buttons buttons, char c) {
  if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  for (const MessageButton& b : ButtonsOf(buttons))
    if (b.initial == c) return &b;
  return nullptr;
}

}  // namespace torvic::shell
