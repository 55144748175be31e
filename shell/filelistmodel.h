// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QAbstractListModel>
#include <QByteArray>
#include <QByteArrayView>
#include <QFutureWatcher>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>
#include <vector>

class FileNamePatterns;
class FolderHandle;

// The media files of one folder, as the main window's file list shows them: read once,
// when the model is made or by a worker thread (readInBackground), and never refreshed.
//
// Listed are the plain files (or links to plain files) whose names match one of the
// patterns, without regard to letter case (FileNamePatterns; the window gives the media
// files' rule, which the writer asks too). Hidden files, folders, devices, pipes, sockets
// and broken links are not. A name that the playlist box would break into several lines
// is not listed either: it could not be one line of a playlist. The order is natural and
// ignores case and accents ("Track 2" before "track 10"), see NaturalOrder.
//
// Every name is listed whatever its bytes: one that is not UTF-8 is shown in Windows-1252
// (see FileNameText), in italics, and fileNameBytes() gives its bytes as stored.
//
// A folder may hold a million files, so the model keeps only the names' bytes, one after
// another in one block in the list's order, each followed by a zero byte, and where every
// sixteenth row's name starts (4 bytes): a file costs its name and 1.25 bytes. The block
// holds at most 4 GiB of names (a hundred million files); names past it are not listed.
// The text shown, the tooltip and the font are made when the view asks for a row, which it
// does for the rows on screen (and a keyboard search for the rows it passes).
class FileListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    // Empty until readInBackground() has read a folder.
    explicit FileListModel(QObject* parent = nullptr);
    // Reads the folder now, on the calling thread.
    FileListModel(const FolderHandle& folder, const FileNamePatterns& patterns, QObject* parent = nullptr);
    // Stops a read in the background without waiting for it: a read held by a dead share
    // ends on its own, on its own handle of the folder, and its result is dropped.
    ~FileListModel() override;

    // Reads the folder on a worker thread, while the model stays empty; then all rows
    // arrive at once, in their order (a model reset), and readFinished() is emitted. A big
    // folder's names are keyed for the sort on a second thread as they come, so the sort
    // follows the system's listing closely. The worker reads through a handle of its own
    // (FolderHandle::duplicate), on threads that nothing waits for, not even the
    // application's end. Only once per model.
    void readInBackground(const FolderHandle& folder, const FileNamePatterns& patterns);
    bool isReading() const;
    // While reading: how many files the list will hold so far (a worker's count).
    qsizetype filesFound() const;
    // Why the folder could not be read, as an errno value: 0 when it was (or is being) read.
    // The files read before an error are listed.
    int readError() const { return m_readError; }

    // The names (no folder) that the model lists for the folder `path` names now, as
    // shown, in the model's order.

    QString fileName(int row) const;         // as shown
    QByteArray fileNameBytes(int row) const; // as stored: what names the file on disk

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    // As QAbstractListModel's, without asking the counts through virtual calls: the view's
    // layout asks for every row's index, a million times for a million files.
    QModelIndex index(int row, int column = 0, const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // As QAbstractItemModel's, but for the search the view makes for typed letters (the
    // first row from `start` on, wrapping, whose text starts with them) case and accents
    // count as little as in the order: both sides are folded (NaturalOrder::fold), so
    // "edith" finds "Édith Piaf.mp3". The names are not turned into text where their first
    // bytes can tell.
    QModelIndexList match(const QModelIndex& start, int role, const QVariant& value, int hits = 1,
        Qt::MatchFlags flags = Qt::MatchFlags(Qt::MatchStartsWith | Qt::MatchWrap)) const override;

Q_SIGNALS:
    void readFinished(int error);

private:
    // The listed names and their order, as one read makes them (on any thread).
    struct Listing {
        QByteArray names;
        std::vector<quint32> groups;
        qsizetype rows = 0;
        int error = 0;
    };
    // What a read in the background shares with its worker.
    struct Progress {
        std::atomic<qsizetype> found {0};
        std::atomic<bool> stop {false};
    };
    static Listing list(const FolderHandle& folder, const FileNamePatterns& patterns, Progress* progress);
    void take(Listing&& listing);

    QByteArrayView nameBytes(int row) const;

    // The listed names as stored, each followed by a zero byte, in the list's order.
    QByteArray m_names;
    // Where the name of every sixteenth row (0, 16, 32 ...) starts in m_names.
    std::vector<quint32> m_groups;
    int m_rowCount = 0;
    int m_readError = 0;
    bool m_readingNow = false;
    std::shared_ptr<Progress> m_progress;
    QFutureWatcher<Listing> m_reading;
};
