// ExtractFigure and the result line on arbitrary reply bytes and amounts: the
// figure is exactly what sits between the first marker found at a character
// start and the next terminator after it, the failure text comes back only
// when there is no marker (or when those bytes happen to spell it), and the
// line is the amount, the source, " = ", the figure and the target, or the
// failure text alone.
//
// Input: the first byte gives the amount's length, the amount follows, and the
// rest is the reply body. The reply is tried as it is and as the program keeps
// it (the bytes before the first zero).

#include "query/query.h"
#include "reference.h"
#include "text/text.h"

#include <algorithm>
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

// 美元 and 人民币元
constexpr TextView kSource = "\xc3\xc0\xd4\xaa";
constexpr TextView kTarget = "\xc8\xcb\xc3\xf1\xb1\xd2\xd4\xaa";

void CheckLine(TextView amount, TextView figure) {
    const Text line = query::ComposeResult(amount, kSource, kTarget, figure);
    if (figure == query::kFailureText) {
        Require(line == query::kFailureText, "the failure text is passed on alone");
        return;
    }
    Text expected(amount);
    expected.append(kSource).append(" = ").append(figure).append(kTarget);
    Require(line == expected, "the line joins amount, source, separator, figure and target");
}

void CheckExtract(TextView amount, TextView reply) {
    const Text figure = query::ExtractFigure(reply);
    CheckLine(amount, figure);
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
    const TextView input(reinterpret_cast<const char*>(data), size);
    const std::size_t amountSize = input.empty() ? 0 : std::min<std::size_t>(data[0], size - 1);
    const TextView amount = input.substr(input.empty() ? 0 : 1, amountSize);
    const TextView reply = input.substr(std::min(size, 1 + amountSize));
    CheckExtract(amount, reply);
    const Text kept = text::FromByteSet(text::ByteSet(reply.begin(), reply.end()));
    if (kept.size() != reply.size()) {
        CheckExtract(amount, kept);
    }
    return 0;
}
