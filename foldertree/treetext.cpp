#include "treetext.h"

using namespace Qt::Literals::StringLiterals;

namespace TreeText {

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
