// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include "folderhandle.h"
#include "legacyentries.h"
#include "playlistwriter.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <atomic>
#include <functional>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class SaveProgress;

// The one playlist the main window is building. Its state lives in the window's controls:
// the playlist text is `Text1`'s text, the file name is `Text2`'s text. The builder reads
// and writes those controls directly; it owns none of them and must not outlive them.
//
// The window wires `Text2`'s change signal to SetPlaylistName; FormatCheckClicked relies on
// that wiring to keep the name up to date when it rewrites `Text2`.
class PlaylistBuilder : public QObject
{
    Q_OBJECT
public:
    // How a save ended, for the message shown to the user.
    enum class SaveOutcome { Saved, NeedsName, Failed };

    // Shows one modal message. The default shows a QMessageBox captioned "Cantorel"
    // (no icon for "Saved", a warning icon otherwise) over `Text1`'s window.
    using Messenger = std::function<void(SaveOutcome, const QString& text)>;

    PlaylistBuilder(QPlainTextEdit* text1, QLineEdit* text2, QCheckBox* check4, QObject* parent = nullptr);

    void setMessenger(Messenger messenger);

    // The writer SavePlaylist uses; tests reach it to inject write faults.
    PlaylistWriter& writer() { return m_writer; }
    // What the writer said of the last save that reached it: its reason code and facts,
    // which the message puts in words (SaveResultText).
    const PlaylistWriter::Result& lastSave() const { return m_lastSave; }

    // The operations the main window's events run.
    void InitPlaylist(); // Form_Load
    // File1_Click: the bare file name. One pick adds at most one line: a name holding a
    // character at which the box starts a new line (FileNameText::breaksLine) adds nothing.
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

    // Heads: each replaces the whole playlist text.
    void StartM3U();
    void StartASX(); // derives ArtistName and AlbumName from SourceFolder first
    void StartHTML();

    QString PlaylistText() const; // Text1's text, lines joined by CR LF
    // The exact bytes a save writes: the playlist text, lines ended by CR LF, and the
    // format's tail. Entries of names that are not UTF-8 are written as the names' bytes.
    QByteArray playlistBytes() const;
    QString PlaylistName() const { return m_playlistName; }
    QString PlaylistExt() const { return m_playlistExt; }

    // The caption that names the current format: PlaylistExt + " filename:".
    QString formatCaption() const;

    // Held for the ASX and HTML formats; no control of the window selects them.
    void setPlaylistExt(const QString& ext) { m_playlistExt = ext; }
    QString AlbumName() const { return m_albumName; }
    QString ArtistName() const { return m_artistName; }
    void setSourceFolder(const QString& folder) { m_sourceFolder = folder; }

    // The path a save writes to, as messages show it: folder + the platform's separator +
    // PlaylistName, the separator added even when the folder ends with one. Control
    // characters of the name are shown as their visible pictures.
    QString savePath(const QString& folder) const;

Q_SIGNALS:
    // A save's progress window has just been shown.
    void saveProgressShown(SaveProgress* window);
    // A save has ended (lastSave() says how), before its message is shown.
    void saveEnded();

private:
    void addEntry(const QString& name, bool legacy);
    void setPlaylistText(const QString& text);
    void showMessage(SaveOutcome outcome, const QString& text);
    // Writes on a worker while the event loop runs; false when the program quits meanwhile.
    bool runSave(const FolderHandle& folder, const QString& shownPath);

    QPlainTextEdit* m_text1;
    QLineEdit* m_text2;
    QCheckBox* m_check4;
    Messenger m_messenger;
    PlaylistWriter m_writer;
    PlaylistWriter::Result m_lastSave;
    LegacyEntries m_legacyEntries;
    bool m_saving = false;
    QString m_savingPath; // shown in the progress window
    SaveProgress* m_progress = nullptr;
    std::atomic<bool>* m_cancel = nullptr; // the running save's

    QString m_playlistName;
    QString m_playlistExt;
    QString m_albumName;
    QString m_artistName;
    QString m_sourceFolder;
};
