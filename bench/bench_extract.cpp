// ExtractFigure over a 1 MiB reply whose marker sits at the very end, next to
// a plain byte search for the marker over the same bytes. The double-byte
// aware search may cost something, but should stay within a factor of two.

#include "query/query.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kReplySize = 1 << 20;
constexpr int kRounds = 31;
constexpr int kRepeatsPerRound = 20;

// A page body of mixed ASCII markup and GBK text, with many "n" bytes (the
// marker's first byte) and trail bytes in the ASCII range, then the figure.
std::string MakeReply() {
    // <td class="name">人民币元</td><td>汇率 num1 = numFormat(100) 乗|亅\</td>
    const std::string row =
        "<tr><td class=\"name\">\xc8\xcb\xc3\xf1\xb1\xd2\xd4\xaa</td><td>"
        "\xbb\xe3\xc2\xca num1 = numFormat(100) \x81\x5c|\x81\x7c\\</td></tr>\n";
    const std::string tail = "<script>var num2 = numFormat(688.5);</script>\n";
    std::string reply;
    reply.reserve(kReplySize);
    while (reply.size() + row.size() + tail.size() <= kReplySize) {
        reply += row;
    }
    reply.append(kReplySize - reply.size() - tail.size(), ' ');
    return reply + tail;
}

template <typename Work> double SecondsPerCall(Work& work) {
    const auto start = Clock::now();
    for (int repeat = 0; repeat < kRepeatsPerRound; ++repeat) {
        work();
    }
    return std::chrono::duration<double>(Clock::now() - start).count() / kRepeatsPerRound;
}

double Median(std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

} // namespace

int main() {
    const std::string reply = MakeReply();
    const std::string_view view(reply);

    const quillora::text::Text figure = quillora::query::ExtractFigure(view);
    if (figure != "688.5") {
        std::fprintf(stderr, "unexpected figure \"%s\"\n", figure.c_str());
        return 1;
    }

    // The two alternate round by round, so a busy machine slows both alike.
    volatile std::size_t sink = 0;
    auto extractWork = [&] { sink = sink + quillora::query::ExtractFigure(view).size(); };
    auto findWork = [&] { sink = sink + view.find("num2 = numFormat("); };
    std::vector<double> extractRounds;
    std::vector<double> findRounds;
    for (int round = 0; round < kRounds; ++round) {
        extractRounds.push_back(SecondsPerCall(extractWork));
        findRounds.push_back(SecondsPerCall(findWork));
    }
    const double extract = Median(extractRounds);
    const double plain = Median(findRounds);

    const double mib = static_cast<double>(reply.size()) / (1024.0 * 1024.0);
    std::printf("reply: %zu bytes, marker at offset %zu\n", reply.size(),
                view.find("num2 = numFormat("));
    std::printf("ExtractFigure:          %8.1f MiB/s  (%.1f us per reply)\n", mib / extract,
                extract * 1e6);
    std::printf("string_view::find:      %8.1f MiB/s  (%.1f us per reply)\n", mib / plain,
                plain * 1e6);
    std::printf("ratio ExtractFigure/find: %.2f (aim: at least 0.50)\n", plain / extract);
    return 0;
}
