#include "catalogue/catalogue.h"

#include "shell/codepage.h"
#include "shell/shell.h"
#include "text/text_array.h"
#include "window/main_form.h"

#include <cstdint>
#include <string_view>

namespace quillora::catalogue {

namespace {

// Kept as UTF-8 so the table can be read and reviewed here; it is turned into
// GBK once, on first use. Only the third field of an entry is ever shown; the
// short names and codes ride along untouched (entry 24 really does say KER).
constexpr std::string_view kCatalogueUtf8 = R"("人民币|CNY|人民币元",)"
                                            R"("美元|USD|美元",)"
                                            R"("奥币|ATS|奥地利先令",)"
                                            R"("澳元|AUD|澳元",)"
                                            R"("比法郎|BEF|比利时法郎",)"
                                            R"("巴西币|BRL|巴西里尔",)"
                                            R"("加元|CAD|加元",)"
                                            R"("瑞郎|CHF|瑞郎",)"
                                            R"("智利币|CLP|智利比索",)"
                                            R"("捷克币|CZK|捷克克朗",)"
                                            R"("马克|DEM|德国马克",)"
                                            R"("丹麦币|DKK|丹麦克朗",)"
                                            R"("西币|ESP|西班牙比塞塔",)"
                                            R"("欧元|EUR|欧元",)"
                                            R"("芬兰币|FIM|芬兰马克",)"
                                            R"("法法郎|FRF|法国法郎",)"
                                            R"("英镑|GBP|英镑",)"
                                            R"("港币|HKD|港币",)"
                                            R"("匈牙利币|HUF|匈牙利福林",)"
                                            R"("印尼盾|IDR|印度尼西亚盾",)"
                                            R"("印度币|INR|印度卢比",)"
                                            R"("义里拉|ITL|意大利里拉",)"
                                            R"("日元|JPY|日元",)"
                                            R"("韩元|KER|韩元",)"
                                            R"("墨披索|MXN|墨西哥比索",)"
                                            R"("马币|MYR|马来西亚元",)"
                                            R"("荷兰币|NLG|荷兰盾",)"
                                            R"("挪威币|NOK|挪威克朗",)"
                                            R"("纽币|NZD|新西兰元",)"
                                            R"("菲披索|PHP|菲律宾比索",)"
                                            R"("波兰币|PLN|波兰兹罗提",)"
                                            R"("葡币|PTE|葡萄牙埃斯库多",)"
                                            R"("卢布|RUB|俄罗斯卢布",)"
                                            R"("沙乌地|SAR|沙特里亚尔",)"
                                            R"("瑞典币|SEK|瑞典克朗",)"
                                            R"("新加坡元|SGD|新加坡元",)"
                                            R"("泰铢|THB|泰铢",)"
                                            R"("台币|TWD|台币",)"
                                            R"("委内拉|VEF|强势玻利瓦尔",)"
                                            R"("越南盾|VND|越南盾",)"
                                            R"("南非币|ZAR|南非兰特")";

constexpr text::TextView kQuote = "\"";
constexpr text::TextView kEntrySeparator = ",";
constexpr text::TextView kFieldSeparator = "|";
constexpr std::int64_t kFullNameField = 3;

} // namespace

text::TextView CurrencyCatalogue() {
    static const text::Text catalogue = shell::codepage::FromUtf8(kCatalogueUtf8);
    return catalogue;
}

void FillCurrencyLists(shell::WindowId window, shell::ControlId sourceList,
                       shell::ControlId targetList, text::TextView catalogue) {
    // The quotes go before any split, so a "," or "|" inside quotes still
    // separates: the quotes are decoration, not quoting.
    const text::Text working = text::DeleteCharacter(catalogue, kQuote.front());
    const text::TextArray entries = text::Split(working, kEntrySeparator);

    const std::int64_t count = entries.Count();
    for (std::int64_t i = 1; i <= count; ++i) {
        const text::TextArray fields = text::Split(entries.At(i), kFieldSeparator);
        if (fields.Count() < kFullNameField) {
            continue;
        }
        const text::Text& fullName = fields.At(kFullNameField);
        // A list that refuses an item simply lacks it; there is nobody to tell.
        shell::AppendListItem(window, sourceList, fullName);
        shell::AppendListItem(window, targetList, fullName);
    }
}

void OnMainWindowCreated() {
    FillCurrencyLists(window::kMainWindow, window::kSourceList, window::kTargetList,
                      CurrencyCatalogue());
    // Source first, then target: with fewer than two items the target's write
    // is clamped onto whatever the list has.
    shell::WriteProperty(window::kMainWindow, window::kSourceList, shell::CurrentSelection, 0);
    shell::WriteProperty(window::kMainWindow, window::kTargetList, shell::CurrentSelection, 1);
}

} // namespace quillora::catalogue
