#pragma once

namespace quillora::window {

// 按钮_取兑换结果1: exchanges the two lists' selection positions.
void OnSwapClicked();

// 按钮_取查询结果1: hands the maker's home page to the desktop's URL opener.
void OnHomePageClicked();

inline constexpr const char* kHomePageUrl = "http://www.ostrevin.com/";

} // namespace quillora::window
