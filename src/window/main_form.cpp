#include "window/main_form.h"

namespace quillora::window {
namespace {

using shell::ControlDescription;
using shell::ControlKind;

//    Quillora可以查询全球所有国家和地区的货币汇率，并进行迅速的换算。汇率按国际银行数据换汇
// 牌价进行自动调整。使你不需登陆任何网站就可以在桌面进行最新查询结果。
constexpr text::TextView kIntroduction =
    "   Quillora"
    "\xbf\xc9\xd2\xd4\xb2\xe9\xd1\xaf\xc8\xab\xc7\xf2\xcb\xf9\xd3\xd0\xb9\xfa\xbc\xd2\xba\xcd"
    "\xb5\xd8\xc7\xf8\xb5\xc4\xbb\xf5\xb1\xd2\xbb\xe3\xc2\xca\xa3\xac\xb2\xa2\xbd\xf8\xd0\xd0"
    "\xd1\xb8\xcb\xd9\xb5\xc4\xbb\xbb\xcb\xe3\xa1\xa3\xbb\xe3\xc2\xca\xb0\xb4\xb9\xfa\xbc\xca"
    "\xd2\xf8\xd0\xd0\xca\xfd\xbe\xdd\xbb\xbb\xbb\xe3\xc5\xc6\xbc\xdb\xbd\xf8\xd0\xd0\xd7\xd4"
    "\xb6\xaf\xb5\xf7\xd5\xfb\xa1\xa3\xca\xb9\xc4\xe3\xb2\xbb\xd0\xe8\xb5\xc7\xc2\xbd\xc8\xce"
    "\xba\xce\xcd\xf8\xd5\xbe\xbe\xcd\xbf\xc9\xd2\xd4\xd4\xda\xd7\xc0\xc3\xe6\xbd\xf8\xd0\xd0"
    "\xd7\xee\xd0\xc2\xb2\xe9\xd1\xaf\xbd\xe1\xb9\xfb\xa1\xa3";

// Creation order is also the tab order. Drop-down lists carry the height of
// the box and its open list together.
constexpr ControlDescription kControls[] = {
    {"编辑框_值", ControlKind::SingleLineEdit, kAmountBox, 78, 12, 130, 20, ""},
    {"组合框_源货币", ControlKind::DropDownList, kSourceList, 78, 36, 130, 160, ""},
    // 兑换为
    {"标签1", ControlKind::Label, kTargetLabel, 9, 58, 63, 20, "\xb6\xd2\xbb\xbb\xce\xaa",
     kTargetList},
    {"组合框_目标货币", ControlKind::DropDownList, kTargetList, 78, 58, 130, 160, ""},
    // 取查询结果
    {"按钮_取查询结果", ControlKind::PushButton, kQueryButton, 133, 85, 78, 20,
     "\xc8\xa1\xb2\xe9\xd1\xaf\xbd\xe1\xb9\xfb"},
    // 源货币
    {"标签2", ControlKind::Label, kSourceLabel, 9, 36, 63, 20, "\xd4\xb4\xbb\xf5\xb1\xd2",
     kSourceList},
    // 数目值
    {"标签3", ControlKind::Label, kAmountLabel, 9, 12, 63, 20, "\xca\xfd\xc4\xbf\xd6\xb5",
     kAmountBox},
    {"编辑框_结果", ControlKind::MultiLineEdit, kResultBox, 13, 109, 219, 83, kIntroduction},
    // 互换
    {"按钮_取兑换结果1", ControlKind::PushButton, kSwapButton, 66, 85, 49, 20, "\xbb\xa5\xbb\xbb"},
    {"按钮_取查询结果1", ControlKind::PushButton, kHomePageButton, 64, 196, 120, 20, "Ostrevin"},
};

constexpr shell::WindowDescription kMainForm{kMainWindow, "Quillora", 255, 245, kControls};

} // namespace

const shell::WindowDescription& MainForm() {
    return kMainForm;
}

} // namespace quillora::window
