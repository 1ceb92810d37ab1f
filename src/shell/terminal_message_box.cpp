#include "shell/terminal_message_box.h"

#include <algorithm>

#include "console/code_pages.h"
#include "shell/message_buttons.h"

namespace torvic::shell {

namespace {

constexpr int kTextWidth = 50;  // the longest text line, for easy reading
constexpr int kButtonGap = 4;

std::u32string Decode(std::string_view bytes) {
  const char16_t* ansi = CodePageForCharset(0);
  std::u32string out;
  for (const char c : bytes) {
    const char16_t u = ansi[static_cast<uint8_t>(c)];
    out.push_back(u >= 0x20 ? u : U' ');
  }
  return out;
}

// Splits at line feeds and wraps at blanks; a word longer than a line is cut.
std::vector<std::u32string> Wrap(std::string_view text, int width) {
  std::vector<std::u32string> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view paragraph = text.substr(start, end - start);
    if (!paragraph.empty() && paragraph.back() == '\r') paragraph.remove_suffix(1);
    std::u32string rest = Decode(paragraph);
    do {
      if (static_cast<int>(rest.size()) <= width) {
        lines.push_back(rest);
        break;
      }
      size_t cut = rest.rfind(U' ', static_cast<size_t>(width));
      if (cut == std::u32string::npos || cut == 0) cut = static_cast<size_t>(width);
      lines.push_back(rest.substr(0, cut));
      rest.erase(0, cut);
      while (!rest.empty() && rest.front() == U' ') rest.erase(0, 1);
    } while (!rest.empty());
    start = end + 1;
  }
  return lines;
}

char32_t IconMark(platform::Icon icon) {
  switch (icon) {
    case platform::Icon::Information: return U'i';
    case platform::Icon::Exclamation: return U'!';
    case platform::Icon::Stop: return U'X';
    case platform::Icon::Question: return U'?';
    case platform::Icon::None: break;
  }
  return 0;
}

}  // namespace

MessageBoxLayout LayOutMessageBox(std::string_view text, std::string_view caption,
                                  platform::Buttons buttons, platform::Icon icon, int maxWidth) {
  maxWidth = std::max(maxWidth, 20);
  const char32_t mark = IconMark(icon);
  const int markWidth = mark ? 3 : 0;  // the mark and two blanks
  // Frame and one blank on each side: 4 columns; two more blanks inside.
  const int textWidth = std::min(kTextWidth, maxWidth - 6 - markWidth);
  const std::vector<std::u32string> lines = Wrap(text, std::max(textWidth, 1));

  std::u32string buttonRow;
  std::vector<MessageBoxLayout::Button> spans;
  for (const MessageButton& b : ButtonsOf(buttons)) {
    if (!buttonRow.empty()) buttonRow.append(kButtonGap, U' ');
    MessageBoxLayout::Button span;
    span.column = static_cast<int>(buttonRow.size());
    const std::u32string label = U"[ " + Decode(b.label) + U" ]";
    span.width = static_cast<int>(label.size());
    span.initialColumn = span.column + 2;
    buttonRow += label;
    spans.push_back(span);
  }

  int inner = static_cast<int>(buttonRow.size());
  for (const std::u32string& l : lines)
    inner = std::max(inner, markWidth + static_cast<int>(l.size()));
  std::u32string title = Decode(caption);
  inner = std::max(inner, static_cast<int>(title.size()) + 2);
  inner = std::min(inner + 4, maxWidth - 2);  // two blanks each side
  if (static_cast<int>(title.size()) > inner - 4)
    title.resize(static_cast<size_t>(std::max(0, inner - 4)));

  MessageBoxLayout layout;
  auto row = [&](const std::u32string& content, int indent) {
    std::u32string r = U"\u2502";
    std::u32string body(static_cast<size_t>(inner), U' ');
    for (size_t i = 0; i < content.size() && indent + static_cast<int>(i) < inner; ++i)
      body[static_cast<size_t>(indent) + i] = content[i];
    r += body;
    r += U"\u2502";
    layout.rows.push_back(r);
  };
  std::u32string top = U"\u250C";
  std::u32string edge(static_cast<size_t>(inner), U'\u2500');
  if (!title.empty()) edge.replace(1, title.size() + 2, U" " + title + U" ");
  top += edge + U"\u2510";
  layout.rows.push_back(top);
  row(U"", 0);
  for (size_t i = 0; i < lines.size(); ++i) {
    std::u32string content;
    if (mark) content = (i == 0 ? std::u32string(1, mark) : U" ") + U"  ";
    row(content + lines[i], 2);
  }
  row(U"", 0);
  const int buttonIndent = std::max(0, (inner - static_cast<int>(buttonRow.size())) / 2);
  row(buttonRow, buttonIndent);
  for (MessageBoxLayout::Button& b : spans) {
    b.row = layout.Height() - 1;
    b.column += 1 + buttonIndent;
    b.initialColumn += 1 + buttonIndent;
  }
  layout.buttons = spans;
  layout.rows.push_back(U"\u2514" + std::u32string(static_cast<size_t>(inner), U'\u2500') +
                        U"\u2518");
  return layout;
}

}  // namespace torvic::shell
