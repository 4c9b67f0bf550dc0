#pragma once

// Slow, obviously correct versions of the text layer's scanning rules. The
// fuzz targets hold the real operations against these byte for byte.

#include "text/text.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace quillora::fuzz {

// An invariant broke: say which, and abort so libFuzzer keeps the input.
[[noreturn]] inline void Fail(const char* what) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

inline void Require(bool holds, const char* what) {
    if (!holds) {
        Fail(what);
    }
}

// The byte lengths of the characters of `text` read from its first byte: two
// for a byte of 0x80 or above (one for such a byte at the very end), else one.
inline std::vector<std::size_t> CharacterLengths(text::TextView text) {
    std::vector<std::size_t> lengths;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length =
            text::IsLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size() ? 2 : 1;
        lengths.push_back(length);
        at += length;
    }
    return lengths;
}

// Find, one character start at a time. The scan reads characters from the
// start position on, whatever the bytes before it are.
inline std::int64_t ReferenceFind(text::TextView text, text::TextView sought, std::int64_t start) {
    if (start < 1) {
        start = 1;
    }
    if (static_cast<std::uint64_t>(start) > text.size()) {
        return -1;
    }
    for (std::size_t at = static_cast<std::size_t>(start - 1); at < text.size();) {
        if (text.substr(at).starts_with(sought)) {
            return static_cast<std::int64_t>(at) + 1;
        }
        at += text::IsLeadByte(static_cast<unsigned char>(text[at])) ? 2 : 1;
    }
    return -1;
}

} // namespace quillora::fuzz
