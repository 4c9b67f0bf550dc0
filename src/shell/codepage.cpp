#include "shell/codepage.h"

#include <QByteArray>
#include <QStringConverter>
#include <QtGlobal>

namespace quillora::shell::codepage {

namespace {

// The converters are looked up once: every property access goes through
// here. They are only ever used from the GUI thread.
//
// The GBK converter keeps an unfinished character (a lead byte, a high
// surrogate) waiting for the next call instead of reporting it, even when
// asked to be stateless. Each conversion therefore starts from a clean state.
// The decoder is only handed whole characters; an encoding ends by feeding a
// zero, which can never continue a character: whatever was left open is then
// reported as invalid, and the zero itself is taken off again.
QStringDecoder& Decoder() {
    static QStringDecoder decoder("GBK");
    return decoder;
}

QStringEncoder& Encoder() {
    static QStringEncoder encoder("GBK");
    return encoder;
}

void WarnMissingConverter() {
    static bool warned = false;
    if (!warned) {
        warned = true;
        qWarning("GBK conversion is not available; non-ASCII text is replaced");
    }
}

// Without a GBK converter ASCII still comes through, and every double-byte
// character becomes one replacement character.
QString AsciiOnlyToUnicode(text::TextView gbk) {
    QString unicode;
    unicode.reserve(qsizetype(gbk.size()));
    for (std::size_t at = 0; at < gbk.size(); ++at) {
        const auto byte = static_cast<unsigned char>(gbk[at]);
        if (text::IsLeadByte(byte)) {
            unicode.append(QChar::ReplacementCharacter);
            ++at;
        } else {
            unicode.append(QChar(byte));
        }
    }
    return unicode;
}

text::Text AsciiOnlyFromUnicode(const QString& unicode) {
    text::Text gbk;
    gbk.reserve(std::size_t(unicode.size()));
    for (qsizetype at = 0; at < unicode.size(); ++at) {
        const char16_t unit = unicode.at(at).unicode();
        if (QChar::isHighSurrogate(unit) && at + 1 < unicode.size() &&
            QChar::isLowSurrogate(unicode.at(at + 1).unicode())) {
            ++at;
        }
        gbk.push_back(unit < 0x80 ? char(unit) : '?');
    }
    return gbk;
}

// A double-byte character the code page can hold: lead 0x81-0xFE, trail
// 0x40-0xFE without 0x7F.
bool IsWellFormedPair(unsigned char lead, unsigned char trail) {
    return lead >= 0x81 && lead <= 0xFE && trail >= 0x40 && trail <= 0xFE && trail != 0x7F;
}

// `gbk` holds only single bytes below 0x80 and well-formed pairs, so the
// decoder never ends halfway through a character.
QString DecodeWellFormed(QStringDecoder& decoder, text::TextView gbk) {
    decoder.resetState();
    return decoder.decode(QByteArrayView(gbk.data(), qsizetype(gbk.size())));
}

} // namespace

QString ToUnicode(text::TextView gbk) {
    QStringDecoder& decoder = Decoder();
    if (!decoder.isValid()) {
        WarnMissingConverter();
        return AsciiOnlyToUnicode(gbk);
    }
    // Characters are cut the way the text layer cuts them: a byte of 0x80 or
    // above takes the next byte with it. A pair the code page cannot hold
    // becomes one replacement character, so a broken byte never swallows or
    // shifts the valid text after it. Well-formed stretches go to the
    // converter whole.
    QString unicode;
    std::size_t begin = 0;
    std::size_t at = 0;
    while (at < gbk.size()) {
        const auto lead = static_cast<unsigned char>(gbk[at]);
        if (!text::IsLeadByte(lead)) {
            ++at;
            continue;
        }
        const bool complete = at + 1 < gbk.size();
        if (complete && IsWellFormedPair(lead, static_cast<unsigned char>(gbk[at + 1]))) {
            at += 2;
            continue;
        }
        unicode += DecodeWellFormed(decoder, gbk.substr(begin, at - begin));
        unicode += QChar(QChar::ReplacementCharacter);
        at += complete ? 2 : 1;
        begin = at;
    }
    unicode += DecodeWellFormed(decoder, gbk.substr(begin));
    return unicode;
}

text::Text FromUnicode(const QString& unicode) {
    QStringEncoder& encoder = Encoder();
    if (!encoder.isValid()) {
        WarnMissingConverter();
        return AsciiOnlyFromUnicode(unicode);
    }
    encoder.resetState();
    QByteArray gbk = encoder.encode(unicode);
    static constexpr char16_t kZero = u'\0';
    gbk += encoder.encode(QStringView(&kZero, 1));
    if (!gbk.isEmpty() && gbk.back() == '\0') {
        gbk.chop(1);
    }
    return text::Text(gbk.constData(), std::size_t(gbk.size()));
}

text::Text FromUtf8(std::string_view utf8) {
    return FromUnicode(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())));
}

} // namespace quillora::shell::codepage
