// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "filelistmodel.h"

#include "filenamepatterns.h"
#include "filenametext.h"
#include "folderfiles.h"
#include "folderhandle.h"
#include "naturalorder.h"
#include "playlistformat.h"

#include <QFont>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>
#include <QtEndian>

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

// Folder reads run on threads of their own that nothing waits for. Qt's global pool is
// waited for when the application ends, so a read held by a share that never answers
// would keep the program from ending after its window closed. The pool is never freed:
// the system ends a thread still in a read with the process. It has threads enough that a
// read that hangs never holds up the next one.
QThreadPool* folderReaders()
{
    static QThreadPool* const pool = [] {
        auto* readers = new QThreadPool;
        readers->setMaxThreadCount(std::max(readers->maxThreadCount(), 16));
        return readers;
    }();
    return pool;
}

// What a name's bytes are made of.
struct ByteMix {
    bool ascii;    // every byte below 0x80
    bool controls; // a byte below 0x20
};

ByteMix byteMix(QByteArrayView name)
{
    bool controls = false;
    for (const char c : name)
        controls |= static_cast<unsigned char>(c) < 0x20;
    return {FileNameText::isAscii(name), controls};
}

bool asciiBreaksLine(QByteArrayView name)
{
    return std::any_of(name.begin(), name.end(),
        [](char c) { return PlaylistFormat::isLineBreak(static_cast<unsigned char>(c)); });
}

// One listed name on its way through the sort: the first bytes of its key in two integers
// (big-endian, zero-padded: comparing them compares those bytes), where the whole key
// starts in the key block, and where the name starts in the name block and its size. Most
// comparisons end at the first integers and touch no other memory.
struct SortEntry {
    quint64 head;
    quint64 head2;
    qsizetype key;
    quint32 name;
    quint32 size;
};
// Below this many names, one thread sorts them sooner than two halves.
constexpr size_t kTwoHalvesFrom = 16384;
constexpr qsizetype kHeadBytes = 2 * sizeof(quint64);
// Groups hold where their names start in 32 bits.
constexpr quint64 kMaxNameBlock = quint64(1) << 32;
// Rows a group holds: where a group starts costs 4 bytes, and finding a row's name steps
// over at most this many names less one.
constexpr size_t kGroupRows = 16;

QString shownName(const char* bytes)
{
    return FileNameText::decode(QByteArrayView(bytes, qsizetype(std::strlen(bytes)))).text;
}

// The listed names on their way to the sort: each name the folder yields that the patterns
// take goes into the name block and its key into the key block, each followed by a zero
// byte, and gets its sort entry. ASCII names, the usual case, are filtered and keyed from
// their bytes; others are decoded first. Used by one thread at a time.
struct Collector {
    const FileNamePatterns& patterns;
    QByteArray& names;
    std::atomic<qsizetype>* found; // null: nobody asks
    std::string keys;
    std::vector<SortEntry> entries;

    void add(QByteArrayView bytes)
    {
        if (names.size() + bytes.size() + 1 > qsizetype(kMaxNameBlock))
            return;
        const ByteMix mix = byteMix(bytes);
        const qsizetype keyAt = qsizetype(keys.size());
        if (mix.ascii) {
            if (!patterns.matchesAscii(bytes) || (mix.controls && asciiBreaksLine(bytes)))
                return;
            NaturalOrder::appendAsciiKey(bytes, keys);
        } else {
            const QString text = FileNameText::decode(bytes).text;
            if (!patterns.matches(text) || FileNameText::breaksLine(text))
                return;
            NaturalOrder::appendKey(text, keys);
        }
        unsigned char head[kHeadBytes] = {};
        std::memcpy(head, keys.data() + keyAt, std::min<size_t>(keys.size() - keyAt, kHeadBytes));
        keys += '\0';
        entries.push_back({qFromBigEndian<quint64>(head), qFromBigEndian<quint64>(head + 8), keyAt,
            quint32(names.size()), quint32(bytes.size())});
        names.append(bytes.data(), bytes.size() + 1); // with the zero byte that follows it
        if (found)
            found->store(qsizetype(entries.size()), std::memory_order_relaxed);
    }

    // The names a chunk holds, each followed by a zero byte.
    void addChunk(const QByteArray& chunk)
    {
        for (const char *name = chunk.constData(), *end = name + chunk.size(); name < end;) {
            const auto size = qsizetype(std::strlen(name));
            add(QByteArrayView(name, size));
            name += size + 1;
        }
    }
};

// Names handed in chunks, in their order, from the thread that reads the folder to the one
// that keys them, so that keying a big folder's names overlaps with the system's listing
// of them. Chunks are used again once keyed.
class NameChunks
{
public:
    static constexpr qsizetype kBytes = 64 * 1024;

    QByteArray spare()
    {
        QByteArray chunk;
        {
            std::lock_guard lock(m_mutex);
            if (!m_spare.empty()) {
                chunk = std::move(m_spare.back());
                m_spare.pop_back();
            }
        }
        chunk.reserve(kBytes + 1024);
        return chunk;
    }
    void push(QByteArray&& chunk)
    {
        std::lock_guard lock(m_mutex);
        m_full.push_back(std::move(chunk));
        m_changed.notify_one();
    }
    void end()
    {
        std::lock_guard lock(m_mutex);
        m_ended = true;
        m_changed.notify_one();
    }
    // The next chunk; empty once the reading has ended and every chunk has been taken.
    QByteArray take()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_ended || !m_full.empty(); });
        if (m_full.empty())
            return {};
        QByteArray chunk = std::move(m_full.front());
        m_full.pop_front();
        return chunk;
    }
    void giveBack(QByteArray&& chunk)
    {
        chunk.resize(0); // keeps its room
        std::lock_guard lock(m_mutex);
        if (m_spare.size() < 4)
            m_spare.push_back(std::move(chunk));
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<QByteArray> m_full;
    std::vector<QByteArray> m_spare;
    bool m_ended = false;
};

} // namespace

FileListModel::FileListModel(QObject* parent) : QAbstractListModel(parent) { }

FileListModel::FileListModel(const FolderHandle& folder, const FileNamePatterns& patterns, QObject* parent)
    : QAbstractListModel(parent)
{
    take(list(folder, patterns, nullptr));
}

FileListModel::~FileListModel()
{
    if (m_readingNow)
        m_progress->stop = true;
}

void FileListModel::readInBackground(const FolderHandle& folder, const FileNamePatterns& patterns)
{
    Q_ASSERT(!m_progress);
    m_progress = std::make_shared<Progress>();
    m_readingNow = true;
    connect(&m_reading, &QFutureWatcher<Listing>::finished, this, [this] {
        if (m_reading.future().resultCount() == 0)
            return;
        beginResetModel();
        take(m_reading.future().takeResult());
        m_readingNow = false;
        endResetModel();
        Q_EMIT readFinished(m_readError);
    });
    // The worker holds the count, the patterns (a copy) and its own handle of the folder as
    // long as it runs, so it may outlive the model and whoever holds `folder`.
    auto own = std::make_shared<const FolderHandle>(folder.duplicate());
    m_reading.setFuture(
        QtConcurrent::run(folderReaders(), [own = std::move(own), patterns, progress = m_progress] {
            return list(*own, patterns, progress.get());
        }));
}

bool FileListModel::isReading() const { return m_readingNow; }

qsizetype FileListModel::filesFound() const
{
    return isReading() ? m_progress->found.load(std::memory_order_relaxed) : m_rowCount;
}

void FileListModel::take(Listing&& listing)
{
    m_names = std::move(listing.names);
    m_groups = std::move(listing.groups);
    m_rowCount = int(listing.rows);
    m_readError = listing.error;
}

FileListModel::Listing FileListModel::list(
    const FolderHandle& folder, const FileNamePatterns& patterns, Progress* progress)
{
    Listing listing;
    if (patterns.isEmpty())
        return listing;
    QByteArray& names = listing.names;

    // One pass over the folder. A folder whose names fill a chunk has them keyed by a
    // second thread as they come, chunk by chunk in their order; a smaller one by this
    // thread once it is read.
    Collector collector {patterns, names, progress ? &progress->found : nullptr, {}, {}};
    NameChunks chunks;
    QFuture<void> keying;
    bool keyingStarted = false;
    QByteArray chunk = chunks.spare();
    listing.error = FolderFiles::read(
        folder,
        [&](QByteArrayView bytes) {
            chunk.append(bytes.data(), bytes.size() + 1); // with the zero byte that follows it
            if (chunk.size() < NameChunks::kBytes)
                return;
            if (!keyingStarted) {
                keyingStarted = true;
                keying = QtConcurrent::run(folderReaders(), [&] {
                    for (QByteArray full; !(full = chunks.take()).isEmpty();) {
                        collector.addChunk(full);
                        chunks.giveBack(std::move(full));
                    }
                });
            }
            chunks.push(std::exchange(chunk, chunks.spare()));
        },
        progress ? &progress->stop : nullptr);
    if (keyingStarted) {
        if (!chunk.isEmpty())
            chunks.push(std::move(chunk));
        chunks.end();
        keying.waitForFinished(); // runs it here if no other thread has taken it
    } else {
        collector.addChunk(chunk);
    }
    std::string& keys = collector.keys;
    std::vector<SortEntry>& entries = collector.entries;

    // Keys are free of zero bytes, so a zero in the heads means both keys ended there and
    // are equal; otherwise the rest of the keys decides. Equal keys fall back to the names
    // as shown, then to their bytes, so the order never depends on the order in which the
    // folder yields its names.
    const char* const allNames = names.constData();
    const char* const allKeys = keys.data();
    const auto less = [&](const SortEntry& a, const SortEntry& b) {
        if (a.head != b.head)
            return a.head < b.head;
        if (a.head2 != b.head2)
            return a.head2 < b.head2;
        if ((a.head2 & 0xFF) != 0) {
            if (const int byKey = std::strcmp(allKeys + a.key + kHeadBytes, allKeys + b.key + kHeadBytes))
                return byKey < 0;
        }
        const char* const nameA = allNames + a.name;
        const char* const nameB = allNames + b.name;
        const ByteMix mixA = byteMix(nameA);
        const ByteMix mixB = byteMix(nameB);
        if (!mixA.ascii || !mixB.ascii) {
            // ASCII names show as their bytes, in the same order; others are decoded.
            if (const int byShown = shownName(nameA).compare(shownName(nameB)))
                return byShown < 0;
        }
        return std::strcmp(nameA, nameB) < 0;
    };
    // Many names are sorted in two halves at once, on two processors where there are, and
    // the halves merged.
    const auto first = entries.begin();
    const auto last = entries.end();
    if (entries.size() >= kTwoHalvesFrom) {
        const auto middle = first + qsizetype(entries.size() / 2);
        QFuture<void> firstHalf = QtConcurrent::run([&] { std::sort(first, middle, less); });
        std::sort(middle, last, less);
        firstHalf.waitForFinished(); // runs it here if no other thread has taken it
        std::inplace_merge(first, middle, last, less);
    } else {
        std::sort(first, last, less);
    }
    std::string().swap(keys);

    // The names again, now in the list's order, so that a row needs no place of its own:
    // a group's first row is found through the group's start, the others by stepping over
    // the names before them in the group.
    QByteArray sorted(names.size(), Qt::Uninitialized);
    char* to = sorted.data();
    listing.groups.reserve((entries.size() + kGroupRows - 1) / kGroupRows);
    for (size_t row = 0; row < entries.size(); ++row) {
        if (row % kGroupRows == 0)
            listing.groups.push_back(quint32(to - sorted.constData()));
        const size_t size = entries[row].size + 1; // with its zero byte
        std::memcpy(to, allNames + entries[row].name, size);
        to += size;
    }
    listing.rows = qsizetype(entries.size());
    std::vector<SortEntry>().swap(entries);
    names = std::move(sorted);
    return listing;
}

QByteArrayView FileListModel::nameBytes(int row) const
{
    if (row < 0 || row >= m_rowCount)
        return {};
    const char* name = m_names.constData() + m_groups[size_t(row) / kGroupRows];
    for (int before = row % kGroupRows; before > 0; --before)
        name += std::strlen(name) + 1;
    return QByteArrayView(name, qsizetype(std::strlen(name)));
}

QString FileListModel::fileName(int row) const { return FileNameText::decode(nameBytes(row)).text; }

QByteArray FileListModel::fileNameBytes(int row) const { return nameBytes(row).toByteArray(); }

int FileListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_rowCount; }

QModelIndex FileListModel::index(int row, int column, const QModelIndex& parent) const
{
    return row >= 0 && row < m_rowCount && column == 0 && !parent.isValid() ? createIndex(row, 0)
                                                                            : QModelIndex();
}

QModelIndexList FileListModel::match(
    const QModelIndex& start, int role, const QVariant& value, int hits, Qt::MatchFlags flags) const
{
    const bool typedLetters = role == Qt::DisplayRole && hits == 1
        && flags == Qt::MatchFlags(Qt::MatchStartsWith | Qt::MatchWrap) && start.isValid()
        && start.model() == this && value.userType() == QMetaType::QString;
    if (!typedLetters || value.toString().isEmpty())
        return QAbstractListModel::match(start, role, value, hits, flags);

    // Typed letters find a name as the order places it: without regard to case or accents
    // ("edith" finds "Édith Piaf.mp3"), both sides folded alike. Most names are decided by
    // their first bytes: where both the name and the typed text are ASCII, a byte is its
    // character, folded by taking A to Z to a to z. Only a name with other bytes among its
    // first ones is decoded and folded whole.
    const QString typed = NaturalOrder::fold(value.toString());
    const qsizetype asciiLead = std::find_if(typed.begin(), typed.end(), [](QChar c) {
        return c.unicode() >= 0x80;
    }) - typed.begin();
    const QByteArray lead = typed.first(asciiLead).toLatin1();
    const auto folded = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    const int rows = rowCount();
    const char* next = nameBytes(start.row()).data(); // the names follow one another in rows
    for (int i = 0; i < rows; ++i) {
        const int row = (start.row() + i) % rows;
        if (row == 0)
            next = m_names.constData();
        const QByteArrayView name(next, qsizetype(std::strlen(next)));
        next += name.size() + 1;
        qsizetype n = 0;
        while (n < lead.size() && n < name.size() && static_cast<unsigned char>(name[n]) < 0x80
            && folded(name[n]) == lead[n])
            ++n;
        bool matches;
        if (n == typed.size())
            matches = true; // the typed text, all ASCII, is the name's start
        else if (n == name.size() || static_cast<unsigned char>(name[n]) < 0x80)
            matches = false; // the name ends, or an ASCII character of it differs
        else
            matches = NaturalOrder::fold(FileNameText::decode(name).text).startsWith(typed);
        if (matches)
            return {index(row)};
    }
    return {};
}

QVariant FileListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rowCount)
        return {};
    switch (role) {
    case Qt::DisplayRole: return fileName(index.row());
    case Qt::ToolTipRole: {
        const FileNameText::Decoded name = FileNameText::decode(nameBytes(index.row()));
        return name.legacy
            ? name.text + u'\n' + tr("(name not in UTF-8: shown as Windows-1252, saved as its own bytes)")
            : name.text;
    }
    case Qt::FontRole:
        if (FileNameText::decode(nameBytes(index.row())).legacy) {
            QFont italic;
            italic.setItalic(true);
            return italic;
        }
        return {};
    default: return {};
    }
}
