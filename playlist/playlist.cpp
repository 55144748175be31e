// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "playlist.h"

#include "filenametext.h"
#include "playlistbytesbuilder.h"
#include "playlistformat.h"

#include <QDir>

#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace {

// `lines` as fragments, each line after the first on a line of its own (the first too with
// `startLines`); every occurrence of `listedName` (when not empty) a fragment of its own,
// marked as that name.
PlaylistDocument::Fragments fragments(
    const QStringList& lines, bool startLines, const QString& listedName = QString())
{
    PlaylistDocument::Fragments out;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& line = lines[i];
        bool startsLine = startLines || i > 0;
        qsizetype from = 0;
        qsizetype at = listedName.isEmpty() ? -1 : line.indexOf(listedName);
        while (at >= 0) {
            if (at > from)
                out.append({line.sliced(from, at - from), false, std::exchange(startsLine, false)});
            out.append({listedName, true, std::exchange(startsLine, false)});
            from = at + listedName.size();
            at = line.indexOf(listedName, from);
        }
        if (from < line.size() || startsLine)
            out.append({line.sliced(from), false, startsLine});
    }
    return out;
}

QString currentFolderPrefix() { return u"."_s + QDir::separator(); }

} // namespace

Playlist::Playlist(PlaylistDocument* document)
    : m_document(document ? document : &m_ownDocument), m_ext(PlaylistFormat::kM3UExt)
{ }

void Playlist::start()
{
    startM3U();
    m_name.clear();
}

bool Playlist::addFile(const QString& name) { return addEntry(name, false); }

bool Playlist::addFile(const QByteArray& storedName)
{
    const FileNameText::Decoded name = FileNameText::decode(storedName);
    return addEntry(name.text, name.legacy);
}

bool Playlist::addEntry(const QString& name, bool listedName)
{
    // The box would split such a name into lines, and a player would read each as an entry
    // or a directive of its own.
    if (FileNameText::breaksLine(name))
        return false;
    QStringList lines;
    if (m_ext == PlaylistFormat::kM3UExt)
        lines = PlaylistFormat::m3uEntry(name, currentFolderPrefix());
    else if (m_ext == PlaylistFormat::kAsxExt)
        lines = PlaylistFormat::asxEntry(name, m_artist, m_album);
    if (lines.isEmpty())
        return false;
    m_document->append(fragments(lines, true, listedName ? name : QString()));
    return true;
}

void Playlist::useM3U()
{
    const QString old = m_name.right(4);
    if (!old.isEmpty())
        m_name.replace(old, PlaylistFormat::kM3UExt, Qt::CaseSensitive);
    startM3U();
}

void Playlist::reset(bool restart)
{
    if (restart)
        startM3U();
    else
        m_document->replace({});
}

void Playlist::startWith(const QString& ext, const QStringList& head)
{
    m_ext = ext;
    m_document->replace(fragments(head, false));
}

void Playlist::startM3U() { startWith(PlaylistFormat::kM3UExt, PlaylistFormat::m3uHead()); }

void Playlist::startAsx()
{
    // "Artist-Album": the artist is what comes before the first '-'; the album is the
    // folder name with every "Artist-" taken out. Without a '-' the whole name is the album.
    const qsizetype dash = m_sourceFolder.indexOf(u'-');
    if (dash >= 0) {
        m_artist = m_sourceFolder.left(dash);
        m_album = m_sourceFolder;
        m_album.remove(m_artist + u'-', Qt::CaseSensitive);
    } else {
        m_artist.clear();
        m_album = m_sourceFolder;
    }
    startWith(PlaylistFormat::kAsxExt, PlaylistFormat::asxHead(m_artist, m_album));
}

void Playlist::startHtml() { startWith(PlaylistFormat::kHtmlExt, PlaylistFormat::htmlHead()); }

QString Playlist::text() const
{
    QString text;
    const QString crLf = u"\r\n"_s;
    m_document->walk(
        [&](QStringView fragment, bool) {
            // A line break the user typed into a line ends it, as in the saved bytes.
            for (qsizetype i = 0; i < fragment.size();) {
                if (const qsizetype breakLength = PlaylistFormat::lineBreakLength(fragment, i)) {
                    text += crLf;
                    i += breakLength;
                } else {
                    text += fragment[i++];
                }
            }
        },
        [&] { text += crLf; });
    return text;
}

QByteArray Playlist::bytes() const
{
    // Straight into the file's bytes: the text of a long playlist is not copied whole on
    // the way, which would cost more than writing it to the disk.
    PlaylistBytesBuilder bytes(m_document->characterCount());
    m_document->walk(
        [&](QStringView fragment, bool listedName) {
            if (listedName)
                bytes.addListedName(fragment);
            else
                bytes.addText(fragment);
        },
        [&] { bytes.endLine(); });
    return bytes.finish(PlaylistFormat::tailFor(m_ext));
}

SaveTypes::Result Playlist::save(const FolderHandle& folder) const
{
    return m_writer.write(folder, m_name, bytes());
}
