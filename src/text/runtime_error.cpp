#include "text/runtime_error.h"

#include <string>

namespace quillora::text {

namespace {
// 分配 (with the space after it)
constexpr TextView kAllocatePrefix = "\xb7\xd6\xc5\xe4\x20";
// 字节内存失败! (with the space before it)
constexpr TextView kAllocateSuffix = "\x20\xd7\xd6\xbd\xda\xc4\xda\xb4\xe6\xca\xa7\xb0\xdc\x21";
} // namespace

RuntimeError OutOfMemory(std::uint64_t bytes) {
    Text message;
    message.reserve(kAllocatePrefix.size() + 20 + kAllocateSuffix.size());
    message.append(kAllocatePrefix).append(std::to_string(bytes)).append(kAllocateSuffix);
    return RuntimeError(std::move(message), 0);
}

} // namespace quillora::text
