#pragma once

#include "text/runtime_error.h"
#include "text/text.h"

#include <cstdint>
#include <vector>

namespace quillora::text {

// A one-dimensional array of Texts, members numbered from 1. Every member
// access checks the index first; a bad index is a fatal runtime error that
// travels to the shell as a RuntimeError.
class TextArray final {
public:
    TextArray() = default;
    explicit TextArray(std::vector<Text> members) : members_(std::move(members)) {}

    std::int64_t Count() const { return static_cast<std::int64_t>(members_.size()); }

    // Throws RuntimeError code 4 below 1, code 1 above Count().
    const Text& At(std::int64_t index) const;

    void Append(Text member) { members_.push_back(std::move(member)); }

private:
    std::vector<Text> members_;
};

} // namespace quillora::text
