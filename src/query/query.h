#pragma once

#include "text/text.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace quillora::query {

inline constexpr const char* kServicePrefix = "http://open.baidu.com/huilv/s?tn=baiduhuilv&wd=";

// 处理错误.
inline constexpr text::TextView kFailureText = "\xb4\xa6\xc0\xed\xb4\xed\xce\xf3.";

// No query may hold the window longer than this, whatever a RateService asks.
inline constexpr std::chrono::milliseconds kLongestWait{30000};

// Where and how the rate page is fetched. Production uses the defaults; tests
// aim the real code at a loopback server and shorten the time limits.
struct RateService {
    // Everything before the percent-encoded value of `wd`.
    std::string prefix = kServicePrefix;
    // Longest quiet spell (no connection progress, no data) before giving up.
    std::chrono::milliseconds inactivityTimeout{15000};
    // Longest whole exchange, redirects included.
    std::chrono::milliseconds deadline{30000};
    // A body longer than this many bytes fails the exchange.
    std::int64_t bodyLimit = 8 * 1024 * 1024;
};

// One HTTP GET for "<amount><source>等于多少<target>"; the body's bytes before
// the first zero byte, or the empty Text on any failure (refused, unreachable,
// broken transfer, time-out, body over the limit, program quitting). An error
// status is no failure: its body is the reply. Waits in a local event loop that
// keeps the window painting but holds back user input.
text::Text FetchRatePage(text::TextView amount, text::TextView source, text::TextView target,
                         const RateService& service = RateService{});

// The bytes between the first "num2 = numFormat(" and the next ");", or
// "处理错误." when there is no marker.
text::Text ExtractFigure(text::TextView reply);

// The line shown for a figure: "<amount><source> = <figure><target>", or
// "处理错误." when the figure is the failure text.
text::Text ComposeResult(text::TextView amount, text::TextView source, text::TextView target,
                         text::TextView figure);

// "<amount><source> = <figure><target>", or "处理错误.".
text::Text QueryRate(text::TextView amount, text::TextView source, text::TextView target);

// Click handler of 按钮_取查询结果.
void OnQueryClicked();

// The service QueryRate uses; tests replace it.
const RateService& CurrentRateService();
void SetRateService(const RateService& service);

} // namespace quillora::query
