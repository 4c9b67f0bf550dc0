// Find, Slice, Split and DeleteCharacter on arbitrary GBK-ish bytes, held
// against the slow reference scan and against the properties callers rely on.
//
// Input: start (8 bytes, little-endian), count (8 bytes), the single byte for
// DeleteCharacter, a length byte (low 3 bits) and that many bytes of sought
// text / delimiter, then the text itself. Missing header bytes read as zero.

#include "reference.h"
#include "text/runtime_error.h"
#include "text/text.h"
#include "text/text_array.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

using namespace quillora;
using fuzz::ReferenceFind;
using fuzz::Require;
using text::Text;
using text::TextView;

constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();

// Every position up to one past each end is tried on short texts; longer ones
// get a sample, which keeps the reference scans from dominating the run.
constexpr std::size_t kExhaustiveLimit = 64;

class Reader final {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    std::int64_t Int64() {
        std::uint64_t value = 0;
        for (int i = 0; i < 8; ++i) {
            value |= static_cast<std::uint64_t>(Byte()) << (8 * i);
        }
        return static_cast<std::int64_t>(value);
    }
    std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    TextView Bytes(std::size_t count) {
        count = std::min(count, size_ - at_);
        const TextView bytes(reinterpret_cast<const char*>(data_ + at_), count);
        at_ += count;
        return bytes;
    }
    TextView Rest() { return Bytes(size_ - at_); }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

std::vector<std::int64_t> Positions(std::size_t size, std::int64_t raw) {
    const auto n = static_cast<std::int64_t>(size);
    std::vector<std::int64_t> positions = {raw, kMin, kMax, -1, 0, 1, n, n + 1};
    if (raw != kMin) {
        positions.push_back(std::abs(raw) % (n + 2));
    }
    if (size <= kExhaustiveLimit) {
        for (std::int64_t p = 2; p < n; ++p) {
            positions.push_back(p);
        }
    }
    return positions;
}

void CheckFind(TextView text, TextView sought, const std::vector<std::int64_t>& starts) {
    for (const std::int64_t start : starts) {
        const std::int64_t found = text::Find(text, sought, start);
        Require(found == ReferenceFind(text, sought, start), "Find agrees with the reference scan");
        if (found < 0) {
            continue;
        }
        const std::int64_t from = std::max<std::int64_t>(start, 1);
        Require(found >= from, "Find never answers before its start");
        const auto at = static_cast<std::size_t>(found - 1);
        Require(at < text.size(), "Find answers inside the text");
        Require(text.substr(at, sought.size()) == sought, "Find's bytes match");
        // Character starts as the scan from `from` sees them.
        std::size_t boundary = static_cast<std::size_t>(from - 1);
        while (boundary < at) {
            boundary += text::IsLeadByte(static_cast<unsigned char>(text[boundary])) ? 2 : 1;
        }
        Require(boundary == at, "Find answers at a character start");
    }
    Require(text::Find(text, sought) == ReferenceFind(text, sought, 1), "Find from the start");
}

void CheckSlice(TextView text, const std::vector<std::int64_t>& starts, std::int64_t raw_count) {
    const auto n = static_cast<std::int64_t>(text.size());
    const std::vector<std::int64_t> counts = {raw_count, kMin, kMax, -1, 0, 1, 2, n, n + 1};
    for (const std::int64_t start : starts) {
        for (const std::int64_t count : counts) {
            const Text slice = text::Slice(text, start, count);
            if (start < 1 || start > n || count <= 0) {
                Require(slice.empty(), "Slice out of bounds is empty");
                continue;
            }
            const std::int64_t expected = std::min(count, n - start + 1);
            Require(static_cast<std::int64_t>(slice.size()) == expected, "Slice length");
            Require(slice == text.substr(static_cast<std::size_t>(start - 1), slice.size()),
                    "Slice bytes");
        }
    }
}

void CheckSplit(TextView text, TextView delimiter) {
    const text::TextArray pieces = text::Split(text, delimiter);
    const std::int64_t count = pieces.Count();

    // Member access is checked at both ends, the lower bound first.
    for (const std::int64_t bad : {std::int64_t{0}, std::int64_t{-1}, count + 1}) {
        try {
            (void)pieces.At(bad);
            fuzz::Fail("TextArray::At accepts a bad index");
        } catch (const text::RuntimeError& error) {
            Require(error.Code() ==
                        (bad < 1 ? text::kIndexBelowOneCode : text::kIndexAboveCountCode),
                    "TextArray::At error code");
        }
    }

    if (delimiter.empty()) {
        Require(count == (text.empty() ? 0 : 1), "an empty delimiter separates nothing");
        if (count == 1) {
            Require(pieces.At(1) == text, "an empty delimiter keeps the text whole");
        }
        return;
    }

    Text joined;
    for (std::int64_t i = 1; i <= count; ++i) {
        const Text& piece = pieces.At(i);
        Require(ReferenceFind(piece, delimiter, 1) < 0,
                "no piece holds the delimiter at a character start");
        if (i > 1) {
            joined += delimiter;
        }
        joined += piece;
    }
    if (joined != text) {
        // Only a delimiter closing the text may be missing, and then the
        // scan must really have found it there.
        Require(joined.size() + delimiter.size() == text.size() && text.starts_with(joined) &&
                    text.ends_with(delimiter),
                "rejoined pieces give the text less at most one closing delimiter");
        Require(ReferenceFind(text, delimiter, static_cast<std::int64_t>(joined.size()) + 1) ==
                    static_cast<std::int64_t>(joined.size()) + 1,
                "the dropped closing delimiter sat at a character start");
    }
    Require(count == 0 || !text.empty(), "an empty text gives no pieces");

    // The pieces are exactly the reference cuts.
    std::int64_t expected_count = 0;
    std::int64_t from = 1;
    for (;;) {
        const std::int64_t found = ReferenceFind(text, delimiter, from);
        if (found < 0) {
            break;
        }
        ++expected_count;
        from = found + static_cast<std::int64_t>(delimiter.size());
    }
    if (static_cast<std::size_t>(from - 1) < text.size()) {
        ++expected_count;
    }
    Require(count == expected_count, "Split makes one piece per delimiter found");
}

void CheckDeleteCharacter(TextView text, char ch) {
    const Text kept = text::DeleteCharacter(text, ch);

    Text expected;
    std::size_t removed = 0;
    std::size_t at = 0;
    for (const std::size_t length : fuzz::CharacterLengths(text)) {
        if (length == 1 && text[at] == ch) {
            ++removed;
        } else {
            expected.append(text.substr(at, length));
        }
        at += length;
    }
    Require(kept.size() + removed == text.size(), "DeleteCharacter length arithmetic");
    Require(kept == expected, "DeleteCharacter drops exactly the matching characters");

    at = 0;
    for (const std::size_t length : fuzz::CharacterLengths(kept)) {
        Require(!(length == 1 && kept[at] == ch), "DeleteCharacter leaves no such character");
        at += length;
    }
    if (!text::IsLeadByte(static_cast<unsigned char>(ch))) {
        Require(ReferenceFind(kept, TextView(&ch, 1), 1) < 0,
                "DeleteCharacter leaves no character-start occurrence");
    }
    Require(text::DeleteCharacter(kept, ch) == kept, "DeleteCharacter is idempotent");
}

void CheckSmallOperations(TextView text, TextView other) {
    Require(text::Join({text, other, text}) ==
                std::string(text) + std::string(other) + std::string(text),
            "Join concatenates");
    const bool less = std::lexicographical_compare(
        text.begin(), text.end(), other.begin(), other.end(), [](char a, char b) {
            return static_cast<unsigned char>(a) < static_cast<unsigned char>(b);
        });
    const int expected = text == other ? 0 : (less ? -1 : 1);
    Require(text::Compare(text, other) == expected, "Compare orders bytes as unsigned");
    Require(text::Equal(text, other) == (text == other), "Equal");

    const text::ByteSet bytes(text.begin(), text.end());
    const Text kept = text::FromByteSet(bytes);
    Require(kept == text.substr(0, text.find('\0')), "FromByteSet keeps the bytes before a zero");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Reader reader(data, size);
    const std::int64_t start = reader.Int64();
    const std::int64_t count = reader.Int64();
    const char ch = static_cast<char>(reader.Byte());
    const TextView sought = reader.Bytes(reader.Byte() & 7);
    const TextView text = reader.Rest();

    const std::vector<std::int64_t> starts = Positions(text.size(), start);
    CheckFind(text, sought, starts);
    CheckSlice(text, starts, count);
    CheckSplit(text, sought);
    CheckDeleteCharacter(text, ch);
    CheckSmallOperations(text, sought);
    return 0;
}
