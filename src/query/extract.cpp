#include "query/query.h"

namespace quillora::query {
namespace {

// num2 = numFormat(
constexpr text::TextView kMarker = "num2 = numFormat(";
constexpr text::TextView kTerminator = ");";
// " = "
constexpr text::TextView kSeparator = " = ";

} // namespace

text::Text ExtractFigure(text::TextView reply) {
    const std::int64_t marker = text::Find(reply, kMarker, 1);
    if (marker < 0) {
        return text::Text(kFailureText);
    }
    const std::int64_t start = marker + static_cast<std::int64_t>(kMarker.size());
    // Without a terminator the count goes negative and the figure is empty,
    // which still makes a result line, not the failure text.
    const std::int64_t end = text::Find(reply, kTerminator, start);
    return text::Slice(reply, start, end - start);
}

text::Text ComposeResult(text::TextView amount, text::TextView source, text::TextView target,
                         text::TextView figure) {
    if (text::Equal(figure, kFailureText)) {
        return text::Text(kFailureText);
    }
    return text::Join({amount, source, kSeparator, figure, target});
}

} // namespace quillora::query
