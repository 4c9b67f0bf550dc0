#pragma once

// The main window as data, and the identifiers by which handlers name its
// controls.

#include "shell/form.h"

namespace quillora::window {

inline constexpr shell::WindowId kMainWindow = 0x52010001;

inline constexpr shell::ControlId kAmountBox = 0x16010003;      // 编辑框_值
inline constexpr shell::ControlId kSourceList = 0x16010004;     // 组合框_源货币
inline constexpr shell::ControlId kTargetLabel = 0x16010005;    // 标签1
inline constexpr shell::ControlId kTargetList = 0x16010006;     // 组合框_目标货币
inline constexpr shell::ControlId kQueryButton = 0x16010007;    // 按钮_取查询结果
inline constexpr shell::ControlId kSourceLabel = 0x16010008;    // 标签2
inline constexpr shell::ControlId kAmountLabel = 0x16010009;    // 标签3
inline constexpr shell::ControlId kResultBox = 0x1601000a;      // 编辑框_结果
inline constexpr shell::ControlId kSwapButton = 0x1601003e;     // 按钮_取兑换结果1
inline constexpr shell::ControlId kHomePageButton = 0x16010043; // 按钮_取查询结果1

// The main window's description: the window and its ten controls in creation
// order.
const shell::WindowDescription& MainForm();

} // namespace quillora::window
