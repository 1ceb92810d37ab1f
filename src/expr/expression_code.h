// Expression code: the postfix byte code of every expression, written once
// per line by the expression compiler (frontend/expr_compiler.h) and run by
// the evaluator (evaluator.h). The item codes below are the format.
//
// Expression code (a sequence of items, each starting with its code byte,
// ended by a 0 byte; multi-byte numbers little-endian). "hdr" is the 3-byte
// reference header: u16 chain link | u8 definition flag (1 only in the name
// item of CONST itself, 0 inside expressions).
//
//   0    end of expression
//   1    number literal        u8 1 | f64 value
//   2    string literal        u8 2 | u8 length (low 8 bits) | bytes | u8 0
//                              (read up to the 0 byte; a literal never holds
//                              a 0 byte, the compiler refuses one)
//   3    operator              u8 3 | u8 operator code (operators.h)
//   4    built-in call         u8 4 | hdr (built-in chain) | u8 function number
//                              | u8 string-result flag | u8 signature | extra:
//          signatures 144 145 146 131 132 133: u8 argument count
//            (131, 132: values after the first argument; 133: pairs)
//          160 (usr): u8 slot 0..9
//          128 (FN): hdr on the user-function chain instead; then u8 name
//            length | name | u8 0 | u8 argument count
//          prefix forms, whose operands follow the item:
//          129 (maxlen): a string variable item (7 or 9)
//          134 (varptr, varptr$, sadd): a variable item (5..9)
//          176 178 179 (lbound, size, ubound): an array name item (5..7),
//            then the dimension expression with its own 0 byte
//          177 (maxsize): an array name item (5..7)
//   5    letter variable       u8 5 | hdr | u8 letter index 0..25
//   6    numeric scalar        u8 6 | hdr | u8 name length | name | u8 0
//   7    string scalar         as 6
//   8    numeric array element u8 8 | hdr | u8 name length | name | u8 0 |
//                              u8 subscript count | each subscript expression
//                              with its own 0 byte
//   9    string array element  as 8
//   10   named constant        u8 10 | hdr (constant chain) | u8 name length |
//                              name | u8 0
//   11   numeric parameter     u8 11 | u8 slot
//   12   string parameter      u8 12 | u8 slot
//   13   overflowing literal   u8 13
//   14   underflowing literal  u8 14
//   128..133                   one byte each (defaults of omitted arguments:
//                              colours, zeros, current volume, current time)
//
// Items 5..9 are on the variable chain, 10 on the named-constant chain, FN
// calls on the user-function chain, other calls on the built-in chain.
// Names are upper case without "$" and at most 31 characters.
//
// Array name items (ERASE, CLEAR, LBOUND and the like) use the scalar codes:
// 5 for a one-letter numeric name, 6 for a longer numeric name, 7 for a
// string name.
#pragma once

#include <cstdint>

namespace torvic {

namespace item {
inline constexpr uint8_t kEnd = 0, kNumber = 1, kString = 2, kOperator = 3, kCall = 4, kLetter = 5,
                         kNumericScalar = 6, kStringScalar = 7, kNumericElement = 8,
                         kStringElement = 9, kConstant = 10, kNumericParam = 11, kStringParam = 12,
                         kOverflow = 13, kUnderflow = 14, kForeground = 128, kBackground = 129,
                         kZero130 = 130, kZero131 = 131, kCurrentVolume = 132, kCurrentTime = 133;
}  // namespace item

// A DEF FN has at most this many parameters (items 11 and 12 name them by
// slot).
inline constexpr int kMaxFnParameters = 10;

}  // namespace torvic
