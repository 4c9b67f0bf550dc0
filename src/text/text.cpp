#include "text/text.h"

#include "text/runtime_error.h"
#include "text/text_array.h"

#include <cstring>
#include <limits>
#include <new>

namespace quillora::text {

namespace {

// The number of bytes of 0x80 or above right before `end`, looking no further
// back than `floor`. Chinese text is one long run of such bytes, and this
// second look at bytes the byte search already passed must not cost much more
// than that search did, hence the steps of eight bytes at a time.
std::size_t HighRunBefore(const char* data, std::size_t floor, std::size_t end) {
    constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
    std::size_t at = end;
    while (at - floor >= 8) {
        std::uint64_t word;
        std::memcpy(&word, data + at - 8, sizeof word);
        if ((word & kHighBits) != kHighBits) {
            break;
        }
        at -= 8;
    }
    while (at > floor && IsLeadByte(static_cast<unsigned char>(data[at - 1]))) {
        --at;
    }
    return end - at;
}

// Finds `sought` at character starts in `text`, beginning at the character
// start `boundary` (0-based). Returns the 0-based offset or npos.
//
// A raw byte search jumps to candidates for the first byte; whether a
// candidate begins a character is decided from the bytes just before it. Any
// byte below 0x80 ends a character (it is either a single-byte character or a
// trail byte), so the position after it is a character start. Between that
// position and the candidate there are only bytes of 0x80 or above, which
// pair up as lead and trail: the candidate begins a character exactly when
// their number is even. The look-back never passes the last known boundary,
// and the boundary moves past every candidate, so the whole scan stays linear.
std::size_t FindAtCharacterStart(TextView text, TextView sought, std::size_t boundary) {
    const std::size_t size = text.size();
    if (boundary >= size || sought.size() > size - boundary) {
        return TextView::npos;
    }
    if (sought.empty()) {
        return boundary;
    }
    const char* data = text.data();
    const char first = sought.front();
    const std::size_t last_candidate = size - sought.size();
    while (boundary <= last_candidate) {
        const void* hit = std::memchr(data + boundary, first, last_candidate + 1 - boundary);
        if (hit == nullptr) {
            return TextView::npos;
        }
        const auto candidate = static_cast<std::size_t>(static_cast<const char*>(hit) - data);
        if (HighRunBefore(data, boundary, candidate) % 2 != 0) {
            // The candidate is a trail byte; the next character starts after it.
            boundary = candidate + 1;
            continue;
        }
        if (std::memcmp(data + candidate + 1, sought.data() + 1, sought.size() - 1) == 0) {
            return candidate;
        }
        // A lead byte as the very last byte moves the boundary past the end,
        // which ends the search without a match.
        boundary = candidate + (IsLeadByte(static_cast<unsigned char>(data[candidate])) ? 2 : 1);
    }
    return TextView::npos;
}

// A new Text holding `bytes`; memory exhaustion becomes the runtime error that
// names the size of the buffer asked for (terminating zero included, as the
// report counts the whole buffer).
Text MakeText(TextView bytes) {
    try {
        return Text(bytes);
    } catch (const std::bad_alloc&) {
        throw OutOfMemory(static_cast<std::uint64_t>(bytes.size()) + 1);
    }
}

} // namespace

std::int64_t Find(TextView text, TextView sought, std::int64_t start) {
    if (start < 1) {
        start = 1;
    }
    if (static_cast<std::uint64_t>(start) > text.size()) {
        return -1;
    }
    const std::size_t found =
        FindAtCharacterStart(text, sought, static_cast<std::size_t>(start - 1));
    return found == TextView::npos ? -1 : static_cast<std::int64_t>(found) + 1;
}

Text Slice(TextView text, std::int64_t start, std::int64_t count) {
    if (start < 1 || static_cast<std::uint64_t>(start) > text.size() || count <= 0) {
        return Text();
    }
    const std::size_t offset = static_cast<std::size_t>(start - 1);
    const std::size_t remaining = text.size() - offset;
    const std::size_t length =
        static_cast<std::uint64_t>(count) < remaining ? static_cast<std::size_t>(count) : remaining;
    return MakeText(text.substr(offset, length));
}

Text Join(std::initializer_list<TextView> parts) {
    std::size_t total = 0;
    for (TextView part : parts) {
        if (part.size() > std::numeric_limits<std::size_t>::max() - 1 - total) {
            throw OutOfMemory(std::numeric_limits<std::uint64_t>::max());
        }
        total += part.size();
    }
    Text joined;
    try {
        joined.reserve(total);
    } catch (const std::bad_alloc&) {
        throw OutOfMemory(static_cast<std::uint64_t>(total) + 1);
    } catch (const std::length_error&) {
        throw OutOfMemory(static_cast<std::uint64_t>(total) + 1);
    }
    for (TextView part : parts) {
        joined.append(part);
    }
    return joined;
}

int Compare(TextView a, TextView b) {
    // char_traits<char> compares as unsigned char, which is what the byte
    // order of GBK text needs.
    const int result = a.compare(b);
    return result < 0 ? -1 : (result > 0 ? 1 : 0);
}

Text DeleteCharacter(TextView text, char ch) {
    Text kept;
    try {
        kept.reserve(text.size());
    } catch (const std::bad_alloc&) {
        throw OutOfMemory(static_cast<std::uint64_t>(text.size()) + 1);
    }
    const TextView sought(&ch, 1);
    std::size_t copied_up_to = 0;
    for (;;) {
        const std::size_t found = FindAtCharacterStart(text, sought, copied_up_to);
        if (found == TextView::npos) {
            break;
        }
        kept.append(text.substr(copied_up_to, found - copied_up_to));
        // A byte of 0x80 or above only matches here as a lone lead byte at the
        // very end (elsewhere it starts a two-byte character, which is not
        // `ch`); copy such a character whole.
        if (IsLeadByte(static_cast<unsigned char>(ch)) && found + 1 < text.size()) {
            kept.append(text.substr(found, 2));
            copied_up_to = found + 2;
            continue;
        }
        copied_up_to = found + 1;
    }
    kept.append(text.substr(copied_up_to));
    return kept;
}

Text FromByteSet(const ByteSet& bytes) {
    const auto* data = reinterpret_cast<const char*>(bytes.data());
    const void* zero = bytes.empty() ? nullptr : std::memchr(data, 0, bytes.size());
    const std::size_t length =
        zero == nullptr ? bytes.size()
                        : static_cast<std::size_t>(static_cast<const char*>(zero) - data);
    return MakeText(TextView(data, length));
}

TextArray Split(TextView text, TextView delimiter) {
    TextArray pieces;
    auto append = [&pieces](TextView piece) {
        Text member = MakeText(piece);
        try {
            pieces.Append(std::move(member));
        } catch (const std::bad_alloc&) {
            throw OutOfMemory(static_cast<std::uint64_t>(pieces.Count() + 1) * sizeof(Text));
        }
    };
    std::size_t piece_start = 0;
    // An empty delimiter would match at every character start without moving
    // on; it separates nothing.
    if (!delimiter.empty()) {
        for (;;) {
            const std::size_t found = FindAtCharacterStart(text, delimiter, piece_start);
            if (found == TextView::npos) {
                break;
            }
            append(text.substr(piece_start, found - piece_start));
            piece_start = found + delimiter.size();
        }
    }
    if (piece_start < text.size()) {
        append(text.substr(piece_start));
    }
    return pieces;
}

} // namespace quillora::text
