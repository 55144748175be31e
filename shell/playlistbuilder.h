// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include "folderhandle.h"
#include "playlist.h"
#include "playlistboxdocument.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <optional>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class SaveProgress;

// The window side of the one playlist the main window is building: the design's operations
// as calls on a Playlist whose text is `Text1`'s (PlaylistBoxDocument), and what the window
// shows of it (the name in `Text2`, Check4's tooltip, the save's progress and message). The
// name lives in the Playlist alone: the window wires `Text2`'s change to SetPlaylistName,
// and a change made here is shown in `Text2` without coming back. The builder owns none of
// the controls and must not outlive them.
class PlaylistBuilder : public QObject
{
    Q_OBJECT
public:
    // How a save ended, for the message shown to the user.
    enum class SaveOutcome { Saved, NeedsName, Failed };

    // Shows one modal message. The default shows a SaveMessageBox over `Text1`'s window (no
    // icon for "Saved", a warning icon otherwise).
    using Messenger = std::function<void(SaveOutcome, const QString& text)>;

    PlaylistBuilder(QPlainTextEdit* text1, QLineEdit* text2, QCheckBox* check4, QObject* parent = nullptr);

    void setMessenger(Messenger messenger);

    // The playlist the operations run on.
    Playlist& playlist() { return m_playlist; }

    // The operations the main window's events run.
    void InitPlaylist(); // Form_Load
    // File1_Click: the bare file name. One pick adds at most one line: a name holding a
    // line break (PlaylistFormat::isLineBreak) adds nothing.
    void AddFile(const QString& name);
    // The same, given the name as stored on disk. A name that is not UTF-8 is shown in
    // Windows-1252 and saved as these very bytes (LegacyEntries).
    void AddFile(const QByteArray& storedName);
    void SetPlaylistName(const QString& text); // Text2_Change
    void FormatCheckClicked();                 // Check4_Click: reads Check4's new state
    // cmdSave_Click: writes into the folder File1 lists, under PlaylistName, which must be
    // a name of its own in that folder (PlaylistWriter::nameProblem).
    //
    // The bytes are taken from the box at once; a worker thread writes them while this
    // call runs the event loop, so the window repaints and takes picks and edits (which
    // change the box, not the bytes being saved). After half a second a SaveProgress window
    // names the file and offers Cancel. The call returns once the save has ended and its
    // message was shown. A save asked for while one runs does nothing. When the program
    // is told to quit meanwhile, the save is cancelled and waited for, and no message shown.
    void SavePlaylist(const FolderHandle& folder);
    bool isSaving() const { return m_saving; }
    // Shows the progress window of the save that runs now, at once (nothing without one).
    void showSaveProgress();
    // How long a save runs before its progress window shows.
    static constexpr int kProgressDelayMs = 500;
    void ResetPlaylist(); // cmdReset_Click: reads Check4's state

    // Heads: each replaces the whole playlist text and makes its format the playlist's.
    void StartM3U() { m_playlist.startM3U(); }
    void StartASX() { m_playlist.startAsx(); } // ArtistName and AlbumName from the source folder
    void StartHTML() { m_playlist.startHtml(); }

    QString PlaylistText() const { return m_playlist.text(); } // Text1's text, lines joined by CR LF
    QString PlaylistName() const { return m_playlist.name(); }
    QString PlaylistExt() const { return m_playlist.ext(); }

    // The caption that names the current format: PlaylistExt + " filename:".
    QString formatCaption() const;

    // Held for the ASX format; no control of the window selects it.
    QString AlbumName() const { return m_playlist.album(); }
    QString ArtistName() const { return m_playlist.artist(); }

    // The path a save writes to, as messages show it: folder + the platform's separator +
    // PlaylistName, the separator added even when the folder ends with one. Control
    // characters of the name are shown as their visible pictures.
    QString savePath(const QString& folder) const;

Q_SIGNALS:
    // A save's progress window has just been shown.
    void saveProgressShown(SaveProgress* window);
    // A save has ended, as the writer says (its reason code and facts, which the message
    // puts in words: SaveResultText), before its message is shown.
    void saveEnded(const SaveTypes::Result& result);

private:
    void showName();
    void showMessage(SaveOutcome outcome, const QString& text);
    // Writes on a worker while the event loop runs; nothing when the program quits meanwhile.
    std::optional<SaveTypes::Result> runSave(const FolderHandle& folder, const QString& shownPath);

    QPlainTextEdit* m_text1;
    QLineEdit* m_text2;
    QCheckBox* m_check4;
    Messenger m_messenger;
    PlaylistBoxDocument m_box;
    Playlist m_playlist;
    bool m_saving = false;
    QString m_savingPath; // shown in the progress window
    SaveProgress* m_progress = nullptr;
    std::atomic<bool>* m_cancel = nullptr; // the running save's
};
