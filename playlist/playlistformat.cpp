// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "playlistformat.h"

#include "playlistbytesbuilder.h"

#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace PlaylistFormat {

namespace {

const QString kCrLf = QString::fromUtf16(kLineBreak);
const QChar kQuote = u'"';

QString joinLines(const QStringList& lines) { return lines.join(kCrLf); }

// Every line of an entry is preceded by CR LF.
QString entryLines(const QStringList& lines)
{
    QString out;
    for (const QString& line : lines)
        out += kCrLf + line;
    return out;
}

} // namespace

QString m3uHead() { return u"#EXTM3U"_s; }

QString m3uEntry(const QString& fileName, const QString& currentFolderPrefix)
{
    // Players read a line starting with '#' as a comment and trim leading blanks; the
    // prefix keeps such a name pointing at the file without changing any other name.
    const bool misread = !fileName.isEmpty() && (fileName.front() == u'#' || fileName.front().isSpace());
    return kCrLf + (misread ? currentFolderPrefix + fileName : fileName);
}

QString m3uTail() { return {}; }

QString asxHead(const QString& artist, const QString& album)
{
    return joinLines({
        u"<ASX Version="_s + kQuote + u"3.0"_s + kQuote + u">"_s,
        u"<AUTHOR></AUTHOR>"_s,
        u"<TITLE>"_s + artist + u":"_s + album + u"</TITLE>"_s,
        u"<PARAM name="_s + kQuote + u"Album"_s + kQuote + u" value="_s + kQuote + album + kQuote + u"/>"_s,
        u"<PARAM name="_s + kQuote + u"Artist"_s + kQuote + u" value="_s + kQuote + artist + kQuote + u"/>"_s,
        u"    <BANNER href ="_s + kQuote + kQuote + u">"_s,
        u"        <MOREINFO HREF="_s + kQuote + kAsxMoreInfoAddress + kQuote + u" />"_s,
        u"        <ABSTRACT>Quellin's Web Site</ABSTRACT>"_s,
        u"    </BANNER>"_s,
    });
}

QString asxEntry(const QString& fileName, const QString& artist, const QString& album)
{
    return entryLines({
        u"    <ENTRY>"_s,
        u"        <REF HREF="_s + kQuote + fileName + kQuote + u"/>"_s,
        u"        <TITLE>"_s + fileName + u"</TITLE>"_s,
        u"        <PARAM name="_s + kQuote + u"Album"_s + kQuote + u" value="_s + kQuote + album + kQuote
            + u"/>"_s,
        u"        <PARAM name="_s + kQuote + u"Artist"_s + kQuote + u" value="_s + kQuote + artist + kQuote
            + u"/>"_s,
        u"    </ENTRY>"_s,
    });
}

QString asxTail() { return u"</ASX>"_s; }

QString htmlHead() { return joinLines({u"<html>"_s, u"<head></head>"_s, u"<body>"_s}); }

QString htmlTail() { return u"</body></html>"_s; }

QString tailFor(const QString& ext)
{
    if (ext == kAsxExt)
        return asxTail();
    if (ext == kHtmlExt)
        return htmlTail();
    return {};
}

QString withCrLf(const QString& text)
{
    QString out;
    out.reserve(text.size() + text.size() / 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r') {
            out += kCrLf;
            if (i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
        } else if (c == u'\n' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator) {
            out += kCrLf;
        } else {
            out += c;
        }
    }
    return out;
}

QByteArray savedBytes(const QString& playlistText, const QString& tail)
{
    PlaylistBytesBuilder bytes(playlistText.size());
    bytes.addLine(playlistText);
    return bytes.finish(tail);
}

} // namespace PlaylistFormat
