// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "treetext.h"

#include <QStringDecoder>

namespace Cantorel {

using namespace Qt::Literals::StringLiterals;

namespace {

// Windows-1252 from 0x80 to 0x9F; the five bytes it leaves undefined keep their C1 code
// points, as Windows itself decodes them. Every other byte is its Latin-1 code point.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98
};

QString fromWindows1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        *out++ = (byte >= 0x80 && byte < 0xA0) ? QChar(kWindows1252High[byte - 0x80]) : QChar(char16_t(byte));
    }
    return text;
}

} // namespace

namespace TreeText {

QString displayPath(QByteArrayView path, char separator)
{
    QString text;
    qsizetype start = 0;
    while (start <= path.size()) {
        qsizetype end = path.indexOf(separator, start);
        if (end < 0)
            end = path.size();
        text += displayName(path.sliced(start, end - start));
        if (end < path.size())
            text += QLatin1Char(separator);
        start = end + 1;
    }
    return text;
}

std::optional<QString> exactText(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringConverter::Utf8,
        QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return std::nullopt;
    return text;
}

QString displayName(QByteArrayView bytes)
{
    if (std::optional<QString> text = exactText(bytes))
        return *std::move(text);
    return fromWindows1252(bytes);
}

QString properCase(QStringView text)
{
    QString result;
    result.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        if (text[i].isSpace()) {
            result += text[i++];
            continue;
        }
        // The first letter of the word: a whole code point, so that letters outside the
        // basic plane are cased too.
        const qsizetype first = (text[i].isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        result += text.mid(i, first).toString().toUpper();
        i += first;
        qsizetype end = i;
        while (end < text.size() && !text[end].isSpace())
            ++end;
        result += text.mid(i, end - i).toString().toLower();
        i = end;
    }
    return result;
}

QString driveNodeText(QChar letter, bool removable, QStringView label)
{
    if (removable)
        return u"("_s + letter + u":)"_s;
    return properCase(label) + u" ("_s + letter + u":)"_s;
}

QString drivePath(QStringView driveText)
{
    if (driveText.size() < 3)
        return {};
    return driveText.mid(driveText.size() - 3, 2).toString();
}

QString folderPath(QStringView driveText, QStringView fullPath)
{
    return drivePath(driveText).append(fullPath.mid(driveText.size()));
}

} // namespace TreeText

} // namespace Cantorel
