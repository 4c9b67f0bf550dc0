#pragma once

// Texts are byte strings in the GBK double-byte code page (code page 936).
// Lengths and positions count bytes; positions start at 1. The empty Text and
// a missing one are the same thing here: an empty std::string.
//
// Every operation that scans a Text steps by characters: a byte of 0x80 or
// above and the byte after it form one character, and a match is only tried
// where a character begins. That keeps an ASCII delimiter from matching the
// trail byte of a Chinese character (trail bytes run 0x40-0xFE, so "|" and
// "\\" can be trail bytes).

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace quillora::text {

using Text = std::string;
using TextView = std::string_view;

// The body of an HTTP reply, byte for byte.
using ByteSet = std::vector<std::uint8_t>;

// True when the byte starts a double-byte character.
constexpr bool IsLeadByte(unsigned char byte) {
    return byte >= 0x80;
}

// Position (1-based, from the start of the whole text) of the first match of
// `sought` tried at character starts from `start` on; -1 when there is none.
// A start of 1 or less means the first byte; a start past the last byte finds
// nothing. An empty `sought` matches at the first character start tried.
std::int64_t Find(TextView text, TextView sought, std::int64_t start = 1);

// `count` bytes from position `start` on, or as many as the text still holds.
// Empty when start is below 1 or past the last byte, or count is 0 or less.
Text Slice(TextView text, std::int64_t start, std::int64_t count);

// The parts one after another in a new Text.
Text Join(std::initializer_list<TextView> parts);

// Byte-for-byte equality; the empty Text equals only the empty Text.
inline bool Equal(TextView a, TextView b) {
    return a == b;
}

// Byte-wise comparison with bytes taken as unsigned: <0, 0 or >0.
int Compare(TextView a, TextView b);

// A copy of `text` without any character equal to the single-byte `ch`.
Text DeleteCharacter(TextView text, char ch);

// The bytes before the first zero byte: what the program keeps of a reply.
Text FromByteSet(const ByteSet& bytes);

class TextArray;

// Splits at every occurrence of `delimiter` found at a character start. Empty
// pieces before a leading delimiter or between adjacent ones are kept; the
// piece after the last delimiter is kept only when it is not empty; an empty
// text gives an array of no members.
TextArray Split(TextView text, TextView delimiter);

} // namespace quillora::text
