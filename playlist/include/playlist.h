// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include "plainplaylistdocument.h"
#include "playlistwriter.h"

#include <QByteArray>
#include <QString>

class FolderHandle;

// One playlist, without a window: its text (in a PlaylistDocument), the one file name it is
// saved under, its format, and the save. The window's PlaylistBuilder runs the design's
// operations on it. Used on one thread at a time, its document's (the window's: the GUI
// thread); only a write of bytes and a name taken before may run on another.
class Playlist
{
public:
    // The text lives in `document` (not owned, must outlive the playlist); without one, in
    // the playlist itself.
    explicit Playlist(PlaylistDocument* document = nullptr);

    // A new M3U playlist with no name.
    void start();

    // Adds the entry of a picked file, given by its name as shown, or as stored on disk (a
    // name that is not UTF-8 is shown in Windows-1252 and saved as these very bytes). False
    // when nothing was added: a name holding a line break (PlaylistFormat::isLineBreak)
    // cannot be one line; the HTML format has no entries.
    bool addFile(const QString& name);
    bool addFile(const QByteArray& storedName);

    const QString& name() const { return m_name; }
    void setName(const QString& name) { m_name = name; }

    // The M3U format chosen: the name's last four characters, wherever they occur in it,
    // become ".m3u" (they stand for the old extension), then the playlist starts anew.
    void useM3U();
    // Empties the text; with `restart`, an M3U head follows.
    void reset(bool restart);

    // Heads: each replaces the whole text and makes its format the playlist's.
    void startM3U();
    void startAsx(); // artist and album from the source folder's "Artist-Album" name first
    void startHtml();

    const QString& ext() const { return m_ext; }
    const QString& artist() const { return m_artist; }
    const QString& album() const { return m_album; }
    void setSourceFolder(const QString& folder) { m_sourceFolder = folder; }

    // The text, lines joined by CR LF.
    QString text() const;
    // The exact bytes a save writes: the text, every line ended by CR LF, and the format's
    // tail. Listed names that are not UTF-8 are written as their bytes.
    QByteArray bytes() const;

    // Writes bytes() under name() into `folder` (PlaylistWriter::write), here and now. The
    // window's save takes bytes() and name() at the click and runs writer() on a worker.
    SaveTypes::Result save(const FolderHandle& folder) const;
    PlaylistWriter& writer() { return m_writer; }
    const PlaylistWriter& writer() const { return m_writer; }

private:
    bool addEntry(const QString& name, bool listedName);
    void startWith(const QString& ext, const QStringList& head);

    PlainPlaylistDocument m_ownDocument;
    PlaylistDocument* m_document;
    PlaylistWriter m_writer;
    QString m_name;
    QString m_ext;
    QString m_artist;
    QString m_album;
    QString m_sourceFolder;
};
