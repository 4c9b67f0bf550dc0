#pragma once

// The one place where GBK bytes meet the toolkit's UTF-16 strings.

#include "text/text.h"

#include <QString>

namespace quillora::shell::codepage {

// Bytes that are not valid GBK become U+FFFD; nothing else is lost.
QString ToUnicode(text::TextView gbk);

// Characters GBK cannot hold become "?".
text::Text FromUnicode(const QString& unicode);

// For constants kept readable as UTF-8 in the source.
text::Text FromUtf8(std::string_view utf8);

} // namespace quillora::shell::codepage
