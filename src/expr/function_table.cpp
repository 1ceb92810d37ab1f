#include "expr/function_table.h"

namespace torvic {

namespace {

// The rows in table order (the name matcher's tie rule depends on it):
// name, number, argument count, string-result flag, signature, optional.
// The string-result flag is set for the "$" names, except input$ and set$,
// whose "$" must follow their letters directly. A row whose arguments have
// defaults in the table below is marked optional (peek$ too: its length
// defaults to 1).
constexpr FunctionRow kRows[] = {
    {"column", 18, 0, false, 1, false},       {"date", 28, 0, false, 1, false},
    {"erl", 38, 0, false, 1, false},          {"err", 39, 0, false, 1, false},
    {"false", 46, 0, false, 1, false},        {"font", 51, 0, false, 1, false},
    {"freefile", 54, 0, false, 1, false},     {"maxnum", 80, 0, false, 1, false},
    {"mem", 81, 0, false, 1, false},          {"minnum", 84, 0, false, 1, false},
    {"now", 92, 0, false, 1, false},          {"pi", 98, 0, false, 1, false},
    {"row", 110, 0, false, 1, false},         {"scrh", 112, 0, false, 1, false},
    {"scrw", 113, 0, false, 1, false},        {"time", 127, 0, false, 1, false},
    {"timer", 129, 0, false, 1, false},       {"true", 131, 0, false, 1, false},
    {"twopi", 133, 0, false, 1, false},       {"volumes", 141, 0, false, 1, false},
    {"debug", 154, 0, false, 1, false},       {"pfont", 193, 0, false, 1, false},
    {"pscrh", 196, 0, false, 1, false},       {"pscrw", 197, 0, false, 1, false},
    {"csrlin", 110, 0, false, 1, false},      {"erlin", 38, 0, false, 1, false},
    {"ern", 39, 0, false, 1, false},          {"erno", 39, 0, false, 1, false},
    {"cbt", 218, 0, false, 1, false},         {"friday", 224, 0, false, 1, false},
    {"abs", 1, 1, false, 2, false},           {"acos", 3, 1, false, 2, false},
    {"asin", 8, 1, false, 2, false},          {"atn", 9, 1, false, 2, false},
    {"cbr", 12, 1, false, 2, false},          {"ceil", 14, 1, false, 2, false},
    {"cos", 20, 1, false, 2, false},          {"cosh", 21, 1, false, 2, false},
    {"cot", 23, 1, false, 2, false},          {"csc", 24, 1, false, 2, false},
    {"cube", 26, 1, false, 2, false},         {"day", 30, 1, false, 2, false},
    {"deg", 34, 1, false, 2, false},          {"eof", 36, 1, false, 2, false},
    {"exp", 43, 1, false, 2, false},          {"exp2", 44, 1, false, 2, false},
    {"exp10", 45, 1, false, 2, false},        {"filemode", 48, 1, false, 2, false},
    {"fp", 52, 1, false, 2, false},           {"hour", 59, 1, false, 2, false},
    {"int", 64, 1, false, 2, false},          {"inv", 65, 1, false, 2, false},
    {"ip", 66, 1, false, 2, false},           {"leapyear", 68, 1, false, 2, false},
    {"loc", 71, 1, false, 2, false},          {"lof", 72, 1, false, 2, false},
    {"log", 73, 1, false, 2, false},          {"log2", 74, 1, false, 2, false},
    {"log10", 75, 1, false, 2, false},        {"minute", 85, 1, false, 2, false},
    {"month", 90, 1, false, 2, false},        {"open", 95, 1, false, 2, false},
    {"peek", 97, 1, false, 2, false},         {"rad", 101, 1, false, 2, false},
    {"rec", 103, 1, false, 2, false},         {"rnd", 108, 1, false, 2, false},
    {"sec", 114, 1, false, 2, false},         {"second", 115, 1, false, 2, false},
    {"sgn", 117, 1, false, 2, false},         {"sin", 118, 1, false, 2, false},
    {"sinh", 119, 1, false, 2, false},        {"sqr", 122, 1, false, 2, false},
    {"tan", 125, 1, false, 2, false},         {"tanh", 126, 1, false, 2, false},
    {"weekday", 142, 1, false, 2, false},     {"year", 143, 1, false, 2, false},
    {"even", 159, 1, false, 2, false},        {"fact", 161, 1, false, 2, false},
    {"odd", 177, 1, false, 2, false},         {"pcol", 192, 1, false, 2, false},
    {"prow", 195, 1, false, 2, false},        {"lpos", 202, 1, false, 2, true},
    {"bufsiz", 205, 1, false, 2, false},      {"cbrt", 12, 1, false, 2, false},
    {"dtr", 101, 1, false, 2, false},         {"fix", 66, 1, false, 2, false},
    {"floor", 64, 1, false, 2, false},        {"pos", 210, 1, false, 2, false},
    {"rcp", 65, 1, false, 2, false},          {"rtd", 34, 1, false, 2, false},
    {"sqrt", 122, 1, false, 2, false},        {"info", 220, 1, false, 2, false},
    {"color", 226, 1, false, 2, true},        {"alnum", 5, 1, false, 3, false},
    {"alpha", 6, 1, false, 3, false},         {"cdn", 13, 1, false, 3, false},
    {"chn", 15, 1, false, 3, false},          {"cntrl", 17, 1, false, 3, false},
    {"cvn", 27, 1, false, 3, false},          {"default", 33, 1, false, 3, false},
    {"digit", 35, 1, false, 3, false},        {"exists", 42, 1, false, 3, false},
    {"free", 53, 1, false, 3, false},         {"hex", 57, 1, false, 3, false},
    {"len", 70, 1, false, 3, false},          {"lower", 76, 1, false, 3, false},
    {"ord", 96, 1, false, 3, false},          {"print", 99, 1, false, 3, false},
    {"readonly", 102, 1, false, 3, false},    {"upper", 135, 1, false, 3, false},
    {"val", 137, 1, false, 3, false},         {"verify", 139, 1, false, 3, false},
    {"eval", 158, 1, false, 3, false},        {"asc", 96, 1, false, 3, false},
    {"cvdate", 233, 1, false, 3, false},      {"isdate", 237, 1, false, 3, false},
    {"mapped", 241, 1, false, 3, false},      {"adjust", 4, 2, false, 4, false},
    {"angle", 7, 2, false, 4, false},         {"copysign", 22, 2, false, 4, false},
    {"hypot", 60, 2, false, 4, false},        {"mod", 89, 2, false, 4, false},
    {"remainder", 104, 2, false, 4, false},   {"round", 109, 2, false, 4, false},
    {"truncate", 132, 2, false, 4, false},    {"point", 194, 2, false, 4, false},
    {"hpoint", 194, 2, false, 4, false},      {"ppoint", 194, 2, false, 4, false},
    {"scrn", 194, 2, false, 4, false},        {"comb", 227, 2, false, 4, false},
    {"is0", 236, 2, false, 4, false},         {"isneg", 239, 2, false, 4, false},
    {"ispos", 240, 2, false, 4, false},       {"perm", 242, 2, false, 4, false},
    {"iif", 169, 3, false, 5, false},         {"screen", 244, 6, false, 6, true},
    {"access", 2, 2, false, 8, true},         {"dec", 32, 2, false, 8, true},
    {"instr", 63, 2, false, 9, false},        {"break", 146, 2, false, 9, false},
    {"cspan", 153, 2, false, 9, false},       {"span", 186, 2, false, 9, false},
    {"indexof", 63, 2, false, 9, false},      {"match", 63, 2, false, 9, false},
    {"count", 231, 2, false, 9, false},       {"beginswith", 248, 2, false, 9, false},
    {"endswith", 249, 2, false, 9, false},    {"findoneof", 146, 2, false, 9, false},
    {"find", 163, 3, false, 10, true},        {"rfind", 183, 3, false, 10, true},
    {"lastindexof", 235, 3, false, 10, true}, {"instrrev", 235, 3, false, 10, true},
    {"empty", 208, 1, false, 11, false},      {"fre", 209, 1, false, 11, false},
    {"select", 245, 1, false, 11, true},      {"comp", 228, 2, false, 12, false},
    {"compi", 229, 2, false, 12, false},      {"esc$", 41, 0, true, 13, false},
    {"get$", 56, 0, true, 13, false},         {"inkey$", 61, 0, true, 13, false},
    {"nul$", 93, 0, true, 13, false},         {"ver$", 138, 0, true, 13, false},
    {"chars$", 149, 0, true, 13, false},      {"getalnum$", 164, 0, true, 13, false},
    {"getalpha$", 165, 0, true, 13, false},   {"getdigit$", 166, 0, true, 13, false},
    {"getyn$", 168, 0, true, 13, false},      {"inyn$", 172, 0, true, 13, false},
    {"log$", 173, 0, true, 13, false},        {"prompt$", 178, 0, true, 13, false},
    {"waitkey$", 190, 0, true, 13, false},    {"host$", 219, 0, true, 13, false},
    {"title$", 223, 0, true, 13, false},      {"copyright$", 230, 0, true, 13, false},
    {"ctrl$", 232, 0, true, 13, false},       {"ret$", 243, 0, true, 13, false},
    {"shift$", 246, 0, true, 13, false},      {"bin$", 11, 1, true, 14, false},
    {"ctime$", 25, 1, true, 14, false},       {"date$", 29, 1, true, 14, true},
    {"err$", 40, 1, true, 14, false},         {"filename$", 49, 1, true, 14, false},
    {"hex$", 58, 1, true, 14, false},         {"mkn$", 87, 1, true, 14, false},
    {"oct$", 94, 1, true, 14, false},         {"space$", 120, 1, true, 14, false},
    {"str$", 123, 1, true, 14, false},        {"time$", 128, 1, true, 14, true},
    {"volume$", 140, 1, true, 14, true},      {"roman$", 184, 1, true, 14, false},
    {"printer$", 203, 1, true, 14, true},     {"chrs$", 16, 1, true, 14, false},
    {"info$", 221, 1, true, 14, false},       {"filemode$", 234, 1, true, 14, false},
    {"dayname$", 31, 2, true, 15, true},      {"input$", 62, 2, false, 15, true},
    {"monthname$", 91, 2, true, 15, true},    {"dollar$", 156, 2, true, 15, true},
    {"peek$", 222, 2, true, 15, true},        {"edit$", 157, 2, true, 16, true},
    {"iif$", 170, 3, true, 17, false},        {"attrib$", 10, 1, true, 18, false},
    {"compress$", 19, 1, true, 18, false},    {"lcase$", 67, 1, true, 18, false},
    {"reverse$", 106, 1, true, 18, false},    {"ucase$", 134, 1, true, 18, false},
    {"clean$", 152, 1, true, 18, false},      {"fileinfo$", 162, 1, true, 18, false},
    {"getkey$", 167, 1, true, 18, false},     {"proper$", 179, 1, true, 18, false},
    {"volinfo$", 189, 1, true, 18, false},    {"lower$", 67, 1, true, 18, false},
    {"squeeze$", 19, 1, true, 18, false},     {"upper$", 134, 1, true, 18, false},
    {"file$", 47, 2, true, 19, false},        {"left$", 69, 2, true, 19, true},
    {"repeat$", 105, 2, true, 19, false},     {"right$", 107, 2, true, 19, true},
    {"splitname$", 121, 2, true, 19, true},   {"string$", 124, 2, true, 19, false},
    {"after$", 144, 2, true, 19, false},      {"before$", 145, 2, true, 19, false},
    {"mid$", 82, 3, true, 20, true},          {"mkkey$", 86, 3, true, 20, true},
    {"delete$", 155, 3, true, 20, false},     {"seg$", 82, 3, true, 20, true},
    {"center$", 147, 3, true, 21, true},      {"insert$", 171, 3, true, 21, false},
    {"lpad$", 174, 3, true, 21, true},        {"replace$", 182, 3, true, 21, false},
    {"rpad$", 185, 3, true, 21, true},        {"lset$", 174, 3, true, 21, true},
    {"rset$", 185, 3, true, 21, true},        {"fullname$", 55, 2, true, 22, true},
    {"ltrim$", 77, 2, true, 22, true},        {"quote$", 100, 2, true, 22, true},
    {"rtrim$", 111, 2, true, 22, true},       {"set$", 116, 2, false, 22, true},
    {"trim$", 130, 2, true, 22, true},        {"extract$", 160, 2, true, 22, false},
    {"remain$", 180, 2, true, 22, false},     {"remove$", 181, 2, true, 22, false},
    {"xlate$", 191, 2, true, 22, false},      {"enclose$", 100, 2, true, 22, true},
    {"isempty$", 238, 2, true, 22, false},    {"tempname$", 247, 2, true, 22, true},
    {"mix$", 176, 3, true, 23, true},         {"change$", 148, 3, true, 24, false},
    {"makename$", 175, 4, true, 25, true},    {"fn", 50, -1, false, 128, false},
    {"maxlen", 79, 1, false, 129, false},     {"mktime", 88, -1, false, 130, false},
    {"using$", 136, -1, true, 131, false},    {"choose", 150, -1, false, 132, false},
    {"choose$", 151, -1, true, 132, false},   {"switch", 187, -1, false, 133, false},
    {"switch$", 188, -1, true, 133, false},   {"varptr", 206, 1, false, 134, false},
    {"varptr$", 207, 1, true, 134, false},    {"sadd", 211, 1, false, 134, false},
    {"chr$", 16, -1, true, 144, false},       {"max", 78, -1, false, 145, false},
    {"min", 83, -1, false, 146, false},       {"usr", 215, 1, false, 160, false},
    {"lbound", 250, -1, false, 176, false},   {"maxsize", 251, 1, false, 177, false},
    {"size", 252, -1, false, 178, false},     {"ubound", 253, -1, false, 179, false},
};
static_assert(sizeof kRows / sizeof kRows[0] == 268);

constexpr DefaultKind N = DefaultKind::Number, S = DefaultKind::String, C = DefaultKind::Item;

// Function number, position, kind, value or item code, text.
constexpr DefaultArg kDefaults[] = {
    {2, 1, N, -1, nullptr},       // access
    {29, 0, C, 133, nullptr},     // date$: now
    {31, 1, N, 0, nullptr},       // dayname$
    {32, 1, N, 10, nullptr},      // dec
    {55, 1, S, 0, "dat"},         // fullname$
    {62, 1, N, 0, nullptr},       // input$
    {69, 1, N, 1, nullptr},       // left$
    {77, 1, S, 0, " "},           // ltrim$
    {82, 2, N, 1, nullptr},       // mid$, seg$
    {86, 1, N, 0, nullptr},       // mkkey$
    {86, 2, N, 0, nullptr},       // mkkey$
    {91, 1, N, 0, nullptr},       // monthname$
    {100, 1, S, 0, "\"\""},       // quote$, enclose$: two double quotes
    {107, 1, N, 1, nullptr},      // right$
    {111, 1, S, 0, " "},          // rtrim$
    {116, 1, S, 0, " "},          // set$
    {121, 1, N, 0, nullptr},      // splitname$
    {128, 0, C, 133, nullptr},    // time$: now
    {130, 1, S, 0, " "},          // trim$
    {140, 0, N, -1, nullptr},     // volume$
    {147, 2, S, 0, " "},          // center$
    {156, 1, N, 2, nullptr},      // dollar$
    {157, 1, S, 0, ""},           // edit$
    {163, 2, N, 1, nullptr},      // find
    {174, 2, S, 0, " "},          // lpad$, lset$
    {175, 0, C, 132, nullptr},    // makename$: current volume
    {175, 2, S, 0, "dat"},        // makename$
    {175, 3, N, 0, nullptr},      // makename$
    {176, 2, N, 1, nullptr},      // mix$
    {183, 2, N, 65535, nullptr},  // rfind
    {185, 2, S, 0, " "},          // rpad$, rset$
    {202, 0, N, 0, nullptr},      // lpos
    {203, 0, N, -1, nullptr},     // printer$
    {222, 1, N, 1, nullptr},      // peek$
    {226, 0, N, 0, nullptr},      // color
    {235, 2, N, -1, nullptr},     // lastindexof, instrrev
    {244, 4, C, 128, nullptr},    // screen: foreground colour
    {244, 5, C, 129, nullptr},    // screen: background colour
    {245, 0, N, 0, nullptr},      // select
    {247, 1, S, 0, "tmp"},        // tempname$
};

// Listing names ($XREF "FUNCS"), derived from the rows so that a name and
// its number can never disagree: each number is listed by the first of its
// names in table order, upper case, except where one of these of its other
// names is the listing name.
constexpr const char* kPreferredListingNames[] = {"chr$", "instrrev"};

constexpr size_t kMaxNameLength = 12;  // the longest name and its 0 byte
struct ListingNames {
  char name[256][kMaxNameLength] = {};
};

constexpr bool SameName(const char* a, const char* b) {
  while (*a && *a == *b) ++a, ++b;
  return *a == *b;
}

constexpr void CopyUpper(const char* from, char (&to)[kMaxNameLength]) {
  size_t i = 0;
  for (; from[i]; ++i) {
    if (i + 1 >= kMaxNameLength) throw "a function name too long for its listing name";
    to[i] = from[i] >= 'a' && from[i] <= 'z' ? static_cast<char>(from[i] - 32) : from[i];
  }
  to[i] = 0;
}

constexpr ListingNames BuildListingNames() {
  ListingNames t;
  for (const FunctionRow& r : kRows)
    if (!t.name[r.number][0]) CopyUpper(r.name, t.name[r.number]);
  for (const char* preferred : kPreferredListingNames) {
    bool found = false;
    for (const FunctionRow& r : kRows)
      if (SameName(r.name, preferred)) CopyUpper(r.name, t.name[r.number]), found = true;
    if (!found) throw "a preferred listing name that is no function name";
  }
  return t;
}
constexpr ListingNames kListingNames = BuildListingNames();

}  // namespace

const char* FunctionListingName(int number) {
  if (number < 0 || number > 255 || !kListingNames.name[number][0]) return nullptr;
  return kListingNames.name[number];
}

std::span<const FunctionRow> FunctionTable() { return kRows; }

std::span<const DefaultArg> DefaultArgTable() { return kDefaults; }

const DefaultArg* FindDefaultArg(uint8_t number, uint8_t position) {
  for (const DefaultArg& d : kDefaults)
    if (d.number == number && d.position == position) return &d;
  return nullptr;
}

}  // namespace torvic
