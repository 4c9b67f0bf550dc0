#pragma once

#include "shell/form.h"
#include "text/text.h"

namespace quillora::catalogue {

// The 41 currencies as GBK: "short name|code|full name" entries in double
// quotes, joined by ",".
text::TextView CurrencyCatalogue();

// Appends the full name of every catalogue entry with at least three fields to
// the source list and then to the target list, in catalogue order.
void FillCurrencyLists(shell::WindowId window, shell::ControlId sourceList,
                       shell::ControlId targetList, text::TextView catalogue = CurrencyCatalogue());

// Creation handler of the main window: fills both lists, then selects the
// first currency as source and the second as target.
void OnMainWindowCreated();

} // namespace quillora::catalogue
