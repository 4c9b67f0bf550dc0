#include "text/text_array.h"

namespace quillora::text {

const Text& TextArray::At(std::int64_t index) const {
    // The lower bound is tested first, so index 0 of an empty array reports
    // code 4, not code 1.
    if (index < 1) {
        throw RuntimeError(Text(messages::kIndexBelowOne), kIndexBelowOneCode);
    }
    if (index > Count()) {
        throw RuntimeError(Text(messages::kIndexAboveCount), kIndexAboveCountCode);
    }
    return members_[static_cast<std::size_t>(index - 1)];
}

} // namespace quillora::text
