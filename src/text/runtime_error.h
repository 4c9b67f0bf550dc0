#pragma once

#include "text/text.h"

#include <cstdint>
#include <stdexcept>
#include <utility>

namespace quillora::text {

// A fatal condition found below the shell. The shell's dispatcher catches it
// and turns it into the runtime-error report; nothing else may swallow it.
class RuntimeError : public std::runtime_error {
public:
    RuntimeError(Text message, std::int32_t code)
        : std::runtime_error("quillora runtime error"), message_(std::move(message)), code_(code) {}

    // GBK bytes, shown verbatim in the report.
    const Text& Message() const { return message_; }
    // 0 stands for no code.
    std::int32_t Code() const { return code_; }

private:
    Text message_;
    std::int32_t code_;
};

// The runtime-error messages the text layer can raise, as GBK bytes.
namespace messages {
// 数组成员引用下标超出定义范围
inline constexpr TextView kIndexAboveCount = "\xca\xfd\xd7\xe9\xb3\xc9\xd4\xb1\xd2\xfd\xd3\xc3\xcf"
                                             "\xc2\xb1\xea\xb3\xac\xb3\xf6\xb6\xa8\xd2\xe5"
                                             "\xb7\xb6\xce\xa7";
// 数组成员引用下标必须大于等于1
inline constexpr TextView kIndexBelowOne = "\xca\xfd\xd7\xe9\xb3\xc9\xd4\xb1\xd2\xfd\xd3\xc3\xcf"
                                           "\xc2\xb1\xea\xb1\xd8\xd0\xeb\xb4\xf3\xd3\xda"
                                           "\xb5\xc8\xd3\xda"
                                           "1";
} // namespace messages

inline constexpr std::int32_t kIndexAboveCountCode = 1;
inline constexpr std::int32_t kIndexBelowOneCode = 4;

// Memory for `bytes` bytes could not be had: "分配 <bytes> 字节内存失败!".
RuntimeError OutOfMemory(std::uint64_t bytes);

} // namespace quillora::text
