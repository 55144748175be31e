// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "naturalorder.h"

#include <QChar>
#include <QString>

#include <algorithm>

namespace {

// The order of a key, weight by weight: punctuation and blanks by their code (up to
// kSymbolMax), then a number as its count of significant digits followed by the digits,
// then a letter as its folded base letter. Each weight is written as bytes whose memcmp
// order is the weights' order: the common ones as one byte, the others as a lead byte
// that places their range and a fixed-length tail of non-zero bytes that orders within it.
constexpr char32_t kSymbolMax = 0x07FF;
constexpr int kMaxDigitCount = 0x03FF;

constexpr unsigned char kOtherSymbol = 0x80; // + 2 bytes: a symbol from 0x80 to kSymbolMax
constexpr unsigned char kNumber = 0x81;      // + count of significant digits, up to:
constexpr int kShortNumber = 0x3C;
constexpr unsigned char kLongNumber = 0xBE;    // + 2 bytes: the count, above kShortNumber
constexpr unsigned char kDigit = 0xC0;         // + digit value
constexpr unsigned char kLetterBeforeA = 0xCA; // + 3 bytes: the letter
constexpr unsigned char kLetterA = 0xCB;       // + letter - 'a', up to 'z'
constexpr unsigned char kLetterAfterZ = 0xE5;  // + 3 bytes: the letter, up to 0xEFFF and beyond

// Six bits a byte, from 1 so that no byte is zero: the tail bytes order like the value.
void appendTail(std::string& keys, char32_t value, int bytes)
{
    for (int shift = 6 * (bytes - 1); shift >= 0; shift -= 6)
        keys += char(1 + ((value >> shift) & 0x3F));
}

void appendSymbol(std::string& keys, char32_t code)
{
    if (code < 0x80) {
        keys += char(code);
        return;
    }
    keys += char(kOtherSymbol);
    appendTail(keys, std::min(code, kSymbolMax), 2);
}

void appendLetter(std::string& keys, char32_t folded)
{
    if (folded >= u'a' && folded <= u'z') {
        keys += char(kLetterA + (folded - u'a'));
        return;
    }
    keys += char(folded < u'a' ? kLetterBeforeA : kLetterAfterZ);
    appendTail(keys, std::min<char32_t>(folded, 0x3FFFF), 3);
}

void appendNumberLength(std::string& keys, int significant)
{
    const int count = std::min(significant, kMaxDigitCount);
    if (count <= kShortNumber) {
        keys += char(kNumber + count);
        return;
    }
    keys += char(kLongNumber);
    appendTail(keys, char32_t(count), 2);
}

// The base letter of a letter with marks ('É' gives 'e'), case-folded.
char32_t baseLetter(char32_t c)
{
    for (;;) {
        const QString parts = QChar::decomposition(c);
        if (parts.isEmpty())
            break;
        const char32_t first = parts.at(0).isHighSurrogate() && parts.size() > 1
            ? QChar::surrogateToUcs4(parts.at(0), parts.at(1))
            : parts.at(0).unicode();
        if (first == c || !QChar::isLetter(first))
            break;
        c = first;
    }
    return QChar::toCaseFolded(c);
}

// The decimal digit at `i` of any script, with the number of code units it takes; -1 when
// there is none.
int digitAt(QStringView name, qsizetype i, qsizetype& width)
{
    const char16_t u = name[i].unicode();
    width = 1;
    if (u < 0x80)
        return u >= u'0' && u <= u'9' ? u - u'0' : -1;
    char32_t c = u;
    if (name[i].isHighSurrogate() && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
        c = QChar::surrogateToUcs4(name[i], name[i + 1]);
        width = 2;
    }
    return QChar::isDigit(c) ? QChar::digitValue(c) : -1;
}

bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }

} // namespace

void NaturalOrder::appendKey(QStringView name, std::string& keys)
{
    const qsizetype size = name.size();
    qsizetype i = 0;
    while (i < size) {
        qsizetype width = 1;
        if (digitAt(name, i, width) >= 0) {
            // A number: leading zeros dropped, then its length, then its digits.
            qsizetype end = i;
            int significant = 0;
            for (int d; end < size && (d = digitAt(name, end, width)) >= 0; end += width) {
                if (d != 0 || significant > 0)
                    ++significant;
            }
            appendNumberLength(keys, significant);
            for (bool leading = true; i < end; i += width) {
                const int d = digitAt(name, i, width);
                leading = leading && d == 0;
                if (!leading)
                    keys += char(kDigit + d);
            }
            continue;
        }
        const char16_t u = name[i].unicode();
        if (u < 0x80) {
            if (u >= u'A' && u <= u'Z')
                appendLetter(keys, u + (u'a' - u'A'));
            else if (u >= u'a' && u <= u'z')
                appendLetter(keys, u);
            else
                appendSymbol(keys, u);
            ++i;
            continue;
        }
        char32_t c = u;
        if (name[i].isHighSurrogate() && i + 1 < size && name[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(name[i], name[i + 1]);
            width = 2;
        }
        i += width;
        if (QChar::isMark(c))
            continue; // a combining accent, as a name in decomposed form has them
        if (QChar::isLetter(c))
            appendLetter(keys, baseLetter(c));
        else
            appendSymbol(keys, c);
    }
}

void NaturalOrder::appendAsciiKey(QByteArrayView name, std::string& keys)
{
    // Written through a pointer into room made first: one byte for each byte of the name,
    // plus a number's length (at most one byte for each digit, three for a long number).
    const size_t at = keys.size();
    keys.resize(at + 2 * size_t(name.size()) + 3);
    char* out = keys.data() + at;
    const char* const end = name.data() + name.size();
    for (const char* p = name.data(); p != end;) {
        const char c = *p;
        if (isAsciiDigit(c)) {
            while (p != end && *p == '0')
                ++p;
            const char* const first = p;
            while (p != end && isAsciiDigit(*p))
                ++p;
            const int significant = int(p - first);
            if (significant <= kShortNumber) {
                *out++ = char(kNumber + significant);
            } else {
                std::string length;
                appendNumberLength(length, significant);
                out = std::copy(length.begin(), length.end(), out);
            }
            for (const char* d = first; d != p; ++d)
                *out++ = char(kDigit + (*d - '0'));
            continue;
        }
        if (c >= 'A' && c <= 'Z')
            *out++ = char(kLetterA + (c - 'A'));
        else if (c >= 'a' && c <= 'z')
            *out++ = char(kLetterA + (c - 'a'));
        else
            *out++ = c;
        ++p;
    }
    keys.resize(size_t(out - keys.data()));
}

QString NaturalOrder::fold(QStringView text)
{
    QString folded;
    folded.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        if (c >= 0x80 && QChar::isMark(c))
            continue;
        if (QChar::isLetter(c))
            c = c < 0x80 ? QChar::toCaseFolded(c) : baseLetter(c);
        folded.append(QStringView(QChar::fromUcs4(c)));
    }
    return folded;
}
