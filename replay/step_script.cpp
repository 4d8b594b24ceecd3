// The step script reader: lines at CR LF, fields at the comma, numbers read as C's atof reads them.
#include "step_script.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace replay {

namespace {

// In UTF-8 every byte below 0x80 is a character of its own and never part of a multi-byte one,
// also in broken text (a stray or truncated sequence never swallows an ASCII byte). So searching
// the bytes for CR LF and for the comma is the same as scanning the text character by character,
// and invalid bytes can neither hide a separator nor make one.
constexpr std::string_view kLineBreak = "\r\n";

// What the number reader sees at position i: ASCII as it is, the full-width forms U+FF01..U+FF5E
// as their ASCII counterparts, the ideographic space U+3000 as a space, and -1 for every other
// character (other non-ASCII, broken sequences), which cannot continue a number. `length` is
// the number of bytes the character takes.
inline int readerCharAt(std::string_view s, std::size_t i, std::size_t& length) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b = byte(i);
    length = 1;
    if (b < 0x80) {
        return b;
    }
    if (i + 2 >= s.size()) {
        return -1;
    }
    const unsigned char b2 = byte(i + 1);
    const unsigned char b3 = byte(i + 2);
    length = 3;
    if (b == 0xEF && b2 == 0xBC && b3 >= 0x81 && b3 <= 0xBF) {
        return b3 - 0x60; // U+FF01..U+FF3F -> '!'..'_'
    }
    if (b == 0xEF && b2 == 0xBD && b3 >= 0x80 && b3 <= 0x9E) {
        return b3 - 0x20; // U+FF40..U+FF5E -> '`'..'~'
    }
    if (b == 0xE3 && b2 == 0x80 && b3 == 0x80) {
        return ' '; // U+3000
    }
    length = 1;
    return -1;
}

bool isCSpace(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool isDigit(int c) {
    return c >= '0' && c <= '9';
}

// Reads a field as atof reads it in the "C" locale (white space, sign, digits, an optional
// fraction and exponent; reading stops at the first character that cannot continue the number,
// and no number reads as 0), then truncates toward zero. Only decimal numbers are read: "inf",
// "nan" and "0x..." hold no number here and read as 0.
//
// Values that are not finite or whose magnitude is 2^31 or more are treated as out of range
// and read as 0 rather than wrapped to their low 32 bits: a wrapped value would turn a line
// like "4294967297,5" into the valid step (1, 5), whereas 0 sends the line to the driver's range
// prompt, which shows the player the line as written.
//
// Short plain numbers are taken as integers directly. Others are copied, in ASCII, into
// `scratch` (reused from field to field) and converted by std::from_chars, which rounds
// correctly as atof does and ignores the process locale, so "1.5" is 1.5 under a decimal-comma
// locale too.
std::int32_t readNumber(std::string_view field, std::string& scratch) {
    std::size_t length = 0;
    const auto at = [&](std::size_t k) {
        return k < field.size() ? readerCharAt(field, k, length) : (length = 0, -1);
    };
    std::size_t i = 0;
    int c = at(i);
    while (isCSpace(c)) {
        i += length;
        c = at(i);
    }
    bool negative = false;
    if (c == '+' || c == '-') {
        negative = c == '-';
        i += length;
        c = at(i);
    }
    const std::size_t numberStart = i;
    // The whole part as an integer while it has at most 9 significant digits (below 2^31).
    std::int32_t whole = 0;
    int wholeDigits = 0;
    bool anyDigit = false;
    while (isDigit(c)) {
        anyDigit = true;
        if ((wholeDigits > 0 || c != '0') && ++wholeDigits <= 9) {
            whole = whole * 10 + (c - '0');
        }
        i += length;
        c = at(i);
    }
    int fractionDigits = 0;
    if (c == '.') {
        i += length;
        c = at(i);
        while (isDigit(c)) {
            anyDigit = true;
            ++fractionDigits;
            i += length;
            c = at(i);
        }
    }
    if (!anyDigit) {
        return 0;
    }
    bool exponent = false;
    if (c == 'e' || c == 'E') {
        // The exponent counts only when at least one digit follows its optional sign.
        std::size_t j = i + length;
        int e = at(j);
        if (e == '+' || e == '-') {
            j += length;
            e = at(j);
        }
        if (isDigit(e)) {
            exponent = true;
            while (isDigit(e)) {
                j += length;
                e = at(j);
            }
            i = j;
        }
    }

    // The common case needs no floating point: below 2^31 a double's spacing is under 2.4e-7,
    // so a fraction of at most 6 digits can never round the value up to the next integer, and
    // truncation leaves the whole part as read.
    if (!exponent && wholeDigits <= 9 && fractionDigits <= 6) {
        return negative ? -whole : whole;
    }

    scratch.clear();
    for (std::size_t k = numberStart; k < i; k += length) {
        scratch.push_back(static_cast<char>(at(k)));
    }
    double value = 0.0;
    const auto result = std::from_chars(scratch.data(), scratch.data() + scratch.size(), value);
    // Overflow reads as out of range (0) by the rule above; underflow truncates to 0 anyway.
    if (result.ec != std::errc{} || !std::isfinite(value) || std::fabs(value) >= 2147483648.0) {
        return 0;
    }
    const auto truncated = static_cast<std::int32_t>(std::trunc(value));
    return negative ? -truncated : truncated;
}

} // namespace

std::vector<StepLine> parseStepScript(std::string_view text) {
    std::vector<StepLine> lines;
    // Every line but possibly the last ends in a line feed: an upper bound that avoids regrowth.
    lines.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
    std::string scratch;

    // A piece between two separators counts even when empty, and so does the piece before a
    // leading separator; the piece after the last separator only when it is not empty; an empty
    // text has no pieces.
    std::size_t start = 0;
    int number = 0;
    while (start < text.size()) {
        const std::size_t end = text.find(kLineBreak, start);
        const std::string_view line =
            end == std::string_view::npos ? text.substr(start) : text.substr(start, end - start);
        start = end == std::string_view::npos ? text.size() : end + kLineBreak.size();

        // Fields by the same rules: a missing piece reads as the empty text, and pieces after
        // the second are ignored.
        const std::size_t firstComma = line.find(',');
        const std::string_view firstField = line.substr(0, firstComma);
        std::string_view secondField;
        if (firstComma != std::string_view::npos) {
            secondField = line.substr(firstComma + 1);
            secondField = secondField.substr(0, secondField.find(','));
        }

        StepLine& step = lines.emplace_back();
        step.lineNumber = ++number;
        step.lineText = std::string(line);
        step.first = readNumber(firstField, scratch);
        step.second = readNumber(secondField, scratch);
    }
    return lines;
}

std::string toScriptLineEnds(std::string_view text) {
    std::string out;
    out.reserve(text.size() + static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')));
    char previous = 0;
    for (const char c : text) {
        if (c == '\n' && previous != '\r') {
            out.push_back('\r');
        }
        out.push_back(c);
        previous = c;
    }
    return out;
}

std::string scriptFromClipboard(std::string_view text) {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        text.remove_prefix(kByteOrderMark.size());
    }
    return toScriptLineEnds(text);
}

} // namespace replay
