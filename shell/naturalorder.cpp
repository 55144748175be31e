#include "naturalorder.h"

#include <QChar>
#include <QString>

#include <algorithm>

namespace {

// Key weights: punctuation and blanks keep their code (up to kSymbolMax), a number is its
// count of significant digits then the digits, a letter is its folded base letter.
constexpr char16_t kSymbolMax = 0x07FF;
constexpr char16_t kNumber = 0x0800;     // + count of significant digits
constexpr char16_t kMaxDigitCount = 0x03FF;
constexpr char16_t kDigit = 0x0C00;      // + digit value
constexpr char16_t kLetter = 0x1000;     // + folded base letter

char16_t letterWeight(char32_t base)
{
    return base < 0x10000 - kLetter ? char16_t(kLetter + base) : char16_t(0xFFFF);
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

} // namespace

void NaturalOrder::appendKey(QStringView name, std::u16string& keys)
{
    const qsizetype size = name.size();
    qsizetype i = 0;
    while (i < size) {
        qsizetype width = 1;
        if (digitAt(name, i, width) >= 0) {
            // A number: leading zeros dropped, then its length, then its digits.
            const size_t countAt = keys.size();
            keys += kNumber;
            for (int d; i < size && (d = digitAt(name, i, width)) >= 0; i += width) {
                if (d != 0 || keys.size() > countAt + 1)
                    keys += char16_t(kDigit + d);
            }
            keys[countAt] += char16_t(std::min<size_t>(keys.size() - countAt - 1, kMaxDigitCount));
            continue;
        }
        const char16_t u = name[i].unicode();
        if (u < 0x80) {
            if (u >= u'A' && u <= u'Z')
                keys += letterWeight(u + (u'a' - u'A'));
            else if (u >= u'a' && u <= u'z')
                keys += letterWeight(u);
            else
                keys += u;
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
        keys += QChar::isLetter(c) ? letterWeight(baseLetter(c)) : char16_t(std::min<char32_t>(c, kSymbolMax));
    }
}
