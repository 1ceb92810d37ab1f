#include "shell/print_options.h"

#include <algorithm>
#include <charconv>

namespace torvic::shell {

namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
           return lower(x) == lower(y);
         });
}

bool IsPrintAddress(uint32_t a) {
  return a == 847 || a == 872 || a == 875 || (a >= 26892 && a <= 26895);
}

// ADDRESS=VALUE, both whole decimal numbers.
bool ParsePoke(std::string_view text, std::pair<uint32_t, uint8_t>& poke, std::string& error) {
  const size_t eq = text.find('=');
  uint32_t address = 0, value = 0;
  const auto number = [](std::string_view s, uint32_t& out) {
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return !s.empty() && ec == std::errc() && end == s.data() + s.size();
  };
  if (eq == std::string_view::npos || !number(text.substr(0, eq), address) ||
      !number(text.substr(eq + 1), value)) {
    error = "--poke needs ADDRESS=VALUE";
    return false;
  }
  if (!IsPrintAddress(address)) {
    error = "--poke takes the print settings 847, 872, 875 and 26892 to 26895";
    return false;
  }
  if (value > 255) {
    error = "--poke needs a VALUE from 0 to 255";
    return false;
  }
  poke = {address, static_cast<uint8_t>(value)};
  return true;
}

}  // namespace

bool WantsPrintPdf(const std::vector<std::string>& args) {
  return std::any_of(args.begin(), args.end(), [](const std::string& a) {
    return a == "--print-pdf" || a.starts_with("--print-pdf=");
  });
}

bool ParsePrintPdfArguments(const std::vector<std::string>& args, PrintPdfOptions& options,
                            std::string& error) {
  // An option's value: after "=" or the next argument.
  auto value = [&](size_t& i, std::string_view name, std::string& out) {
    const std::string& a = args[i];
    if (a.size() > name.size() && a[name.size()] == '=') {
      out = a.substr(name.size() + 1);
    } else if (i + 1 < args.size()) {
      out = args[++i];
    } else {
      out.clear();
    }
    return !out.empty();
  };
  auto is = [](const std::string& a, std::string_view name) {
    return a == name || (a.starts_with(name) && a.size() > name.size() && a[name.size()] == '=');
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string v;
    if (is(a, "--print-pdf")) {
      if (!options.output.empty()) {
        error = "--print-pdf is given twice";
        return false;
      }
      if (!value(i, "--print-pdf", v)) {
        error = "--print-pdf needs OUT.pdf";
        return false;
      }
      options.output = v;
    } else if (is(a, "--poke")) {
      std::pair<uint32_t, uint8_t> poke;
      if (!value(i, "--poke", v)) v.clear();
      if (!ParsePoke(v, poke, error)) return false;
      options.pokes.push_back(poke);
    } else if (is(a, "--paper")) {
      value(i, "--paper", v);
      const auto* known = std::find_if(std::begin(kPaperNames), std::end(kPaperNames),
                                       [&](std::string_view n) { return SameIgnoringCase(n, v); });
      if (known == std::end(kPaperNames)) {
        error = "--paper takes A3, A4, A5, B4, B5, Letter, Legal, Executive or Tabloid";
        return false;
      }
      options.paper = *known;
    } else if (!a.empty() && a[0] == '-' && a != "-") {
      error = "--print-pdf takes only --paper and --poke besides PROGRAM, not " + a;
      return false;
    } else if (options.program.empty()) {
      options.program = a;
    } else {
      error = "more than one program file";
      return false;
    }
  }
  if (options.output.empty() || options.program.empty()) {
    error = "--print-pdf needs OUT.pdf and PROGRAM";
    return false;
  }
  return true;
}

}  // namespace torvic::shell
