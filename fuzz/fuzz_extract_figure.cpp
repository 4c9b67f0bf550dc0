// ExtractFigure on arbitrary reply bytes: the figure is exactly what sits
// between the first marker found at a character start and the next
// terminator after it, and the failure text comes back only when there is no
// marker (or when those bytes happen to spell it).
//
// Input: the reply body. It is tried as it is and as the program keeps it
// (the bytes before the first zero).

#include "query/query.h"
#include "reference.h"
#include "text/text.h"

#include <cstdint>

namespace {

using namespace quillora;
using fuzz::ReferenceFind;
using fuzz::Require;
using text::Text;
using text::TextView;

// num2 = numFormat(
constexpr TextView kMarker = "num2 = numFormat(";
// );
constexpr TextView kTerminator = ");";

void CheckExtract(TextView reply) {
    const Text figure = query::ExtractFigure(reply);
    const std::int64_t marker = ReferenceFind(reply, kMarker, 1);
    if (marker < 0) {
        Require(figure == query::kFailureText, "no marker gives the failure text");
        return;
    }
    const auto start = static_cast<std::size_t>(marker - 1) + kMarker.size();
    const TextView after = reply.substr(start);
    // The marker is plain ASCII, so the scan for the terminator starts on a
    // real character start and the reference can search the rest alone.
    const std::int64_t terminator = ReferenceFind(after, kTerminator, 1);
    const TextView expected =
        terminator < 0 ? TextView() : after.substr(0, static_cast<std::size_t>(terminator - 1));
    Require(figure == expected, "the figure is the bytes between marker and terminator");
    Require(after.starts_with(figure), "the figure follows the marker");
    Require(ReferenceFind(figure, kTerminator, 1) < 0,
            "the figure holds no terminator at a character start");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const TextView reply(reinterpret_cast<const char*>(data), size);
    CheckExtract(reply);
    const Text kept = text::FromByteSet(text::ByteSet(data, data + size));
    if (kept.size() != reply.size()) {
        CheckExtract(kept);
    }
    return 0;
}
