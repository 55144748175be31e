// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "playlistformat.h"

using namespace Qt::Literals::StringLiterals;

namespace PlaylistFormat {

namespace {

const QChar kQuote = u'"';

} // namespace

QStringList m3uHead() { return {u"#EXTM3U"_s}; }

QStringList m3uEntry(const QString& fileName, const QString& currentFolderPrefix)
{
    // Players read a line starting with '#' as a comment and trim leading blanks; the
    // prefix keeps such a name pointing at the file without changing any other name.
    const bool misread = !fileName.isEmpty() && (fileName.front() == u'#' || fileName.front().isSpace());
    return {misread ? currentFolderPrefix + fileName : fileName};
}

QString m3uTail() { return {}; }

QStringList asxHead(const QString& artist, const QString& album)
{
    return {
        u"<ASX Version="_s + kQuote + u"3.0"_s + kQuote + u">"_s,
        u"<AUTHOR></AUTHOR>"_s,
        u"<TITLE>"_s + artist + u":"_s + album + u"</TITLE>"_s,
        u"<PARAM name="_s + kQuote + u"Album"_s + kQuote + u" value="_s + kQuote + album + kQuote + u"/>"_s,
        u"<PARAM name="_s + kQuote + u"Artist"_s + kQuote + u" value="_s + kQuote + artist + kQuote + u"/>"_s,
        u"    <BANNER href ="_s + kQuote + kQuote + u">"_s,
        u"        <MOREINFO HREF="_s + kQuote + kAsxMoreInfoAddress + kQuote + u" />"_s,
        u"        <ABSTRACT>Quellin's Web Site</ABSTRACT>"_s,
        u"    </BANNER>"_s,
    };
}

QStringList asxEntry(const QString& fileName, const QString& artist, const QString& album)
{
    return {
        u"    <ENTRY>"_s,
        u"        <REF HREF="_s + kQuote + fileName + kQuote + u"/>"_s,
        u"        <TITLE>"_s + fileName + u"</TITLE>"_s,
        u"        <PARAM name="_s + kQuote + u"Album"_s + kQuote + u" value="_s + kQuote + album + kQuote
            + u"/>"_s,
        u"        <PARAM name="_s + kQuote + u"Artist"_s + kQuote + u" value="_s + kQuote + artist + kQuote
            + u"/>"_s,
        u"    </ENTRY>"_s,
    };
}

QString asxTail() { return u"</ASX>"_s; }

QStringList htmlHead() { return {u"<html>"_s, u"<head></head>"_s, u"<body>"_s}; }

QString htmlTail() { return u"</body></html>"_s; }

QString tailFor(const QString& ext)
{
    if (ext == kAsxExt)
        return asxTail();
    if (ext == kHtmlExt)
        return htmlTail();
    return {};
}

} // namespace PlaylistFormat
