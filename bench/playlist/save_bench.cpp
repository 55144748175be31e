// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// A save of 100,000 entries, sync to disk included, measured side by side with dd writing
// the same bytes into the same folder with conv=fsync. The counter "ratio" is the save's
// time over dd's. The folder is a temporary one under TMPDIR (default /tmp): point TMPDIR
// at the disk you care about. Two saves: the ordinary one (a new file renamed over the
// old), and the rewrite in place of a file with a second hard link, which first writes and
// syncs a backup of the old content. Each save is also made the way it was made before
// saves moved to a worker thread (the bytes and the writer on the calling thread, no event
// loop): "x_direct" is the save's time over that one's, measured in the same run.
#include "folderhandle.h"
#include "playlistbuilder.h"
#include "playlistwriter.h"

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

extern char** environ;

namespace {

constexpr int kEntries = 100000;

// Runs dd and waits for it; returns the wall time in seconds, or a negative value on failure.
double timeDd(const QByteArray& from, const QByteArray& to)
{
    const QByteArray in = "if=" + from;
    const QByteArray out = "of=" + to;
    char* const argv[] = {const_cast<char*>("dd"), const_cast<char*>(in.constData()),
        const_cast<char*>(out.constData()), const_cast<char*>("bs=1M"), const_cast<char*>("conv=fsync"),
        const_cast<char*>("status=none"), nullptr};
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    if (::posix_spawnp(&pid, "dd", nullptr, nullptr, argv, environ) != 0)
        return -1;
    int status = 0;
    ::waitpid(pid, &status, 0);
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1;
}

// The main window's controls holding a playlist of 100,000 entries, as picks leave it
// (picking them one by one would take minutes).
struct Box {
    explicit Box(const QString& entry = u"Artist Name - Some Track Title (Remastered) %1.mp3"_s)
    {
        check4.setChecked(true);
        QObject::connect(&text2, &QLineEdit::textChanged, &builder, &PlaylistBuilder::SetPlaylistName);
        builder.setMessenger([this](PlaylistBuilder::SaveOutcome outcome, const QString&) {
            saved = outcome == PlaylistBuilder::SaveOutcome::Saved;
        });
        builder.InitPlaylist();
        QString text = u"#EXTM3U"_s;
        for (int i = 0; i < kEntries; ++i)
            text += u'\n' + entry.arg(i, 6, 10, QChar(u'0'));
        text1.setPlainText(text);
        text2.setText(u"bench.m3u"_s);
    }

    QPlainTextEdit text1;
    QLineEdit text2;
    QCheckBox check4;
    PlaylistBuilder builder {&text1, &text2, &check4};
    bool saved = false;
};

// Getting the file's bytes out of the box, alone.
void BM_PlaylistBytes100kEntries(benchmark::State& state)
{
    Box box;
    for (auto _ : state)
        benchmark::DoNotOptimize(box.builder.playlist().bytes());
}

BENCHMARK(BM_PlaylistBytes100kEntries)->Unit(benchmark::kMillisecond);

// Names with letters beyond ASCII among ASCII ones, and names mostly in another script.
void BM_PlaylistBytes100kAccentedEntries(benchmark::State& state)
{
    Box box(u"Ärzte – Señorita, Café del Mar %1.mp3"_s);
    for (auto _ : state)
        benchmark::DoNotOptimize(box.builder.playlist().bytes());
}

void BM_PlaylistBytes100kCjkEntries(benchmark::State& state)
{
    Box box(u"日本語の歌 東京の夜 %1 アーティスト.mp3"_s);
    for (auto _ : state)
        benchmark::DoNotOptimize(box.builder.playlist().bytes());
}

BENCHMARK(BM_PlaylistBytes100kAccentedEntries)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlaylistBytes100kCjkEntries)->Unit(benchmark::kMillisecond);

void saveBesideDd(benchmark::State& state, bool hardLinked)
{
    Box box;
    PlaylistBuilder& builder = box.builder;
    const bool& saved = box.saved;

    QTemporaryDir dir;
    const QByteArray source = QFile::encodeName(dir.filePath(u"source.bytes"_s));
    const QByteArray ddTarget = QFile::encodeName(dir.filePath(u"dd.m3u"_s));
    {
        QFile file(QFile::decodeName(source));
        if (!dir.isValid() || !file.open(QIODevice::WriteOnly)
            || file.write(builder.playlist().bytes()) < 0) {
            state.SkipWithError("cannot prepare the folder");
            return;
        }
    }

    if (hardLinked) {
        builder.SavePlaylist(FolderHandle::open(dir.path()));
        if (!saved
            || ::link(QFile::encodeName(dir.filePath(u"bench.m3u"_s)).constData(),
                   QFile::encodeName(dir.filePath(u"other-link.m3u"_s)).constData())
                != 0) {
            state.SkipWithError("cannot make the hard link");
            return;
        }
    }

    double saveTotal = 0;
    double ddTotal = 0;
    double directTotal = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        builder.SavePlaylist(FolderHandle::open(dir.path()));
        const double saveSeconds = double(timer.nsecsElapsed()) / 1e9;
        const double ddSeconds = timeDd(source, ddTarget);
        if (!saved || ddSeconds < 0) {
            state.SkipWithError(saved ? "dd failed" : "the save failed");
            return;
        }
        timer.restart();
        const bool direct
            = builder.playlist()
                  .writer()
                  .write(FolderHandle::open(dir.path()), builder.PlaylistName(), builder.playlist().bytes())
                  .saved;
        directTotal += double(timer.nsecsElapsed()) / 1e9;
        if (!direct) {
            state.SkipWithError("the direct save failed");
            return;
        }
        state.SetIterationTime(saveSeconds);
        saveTotal += saveSeconds;
        ddTotal += ddSeconds;
    }
    state.counters["save_ms"] = 1e3 * saveTotal / double(state.iterations());
    state.counters["dd_ms"] = 1e3 * ddTotal / double(state.iterations());
    state.counters["ratio"] = saveTotal / ddTotal;
    state.counters["direct_ms"] = 1e3 * directTotal / double(state.iterations());
    state.counters["x_direct"] = saveTotal / directTotal;
    state.counters["bytes"] = double(QFile(dir.filePath(u"bench.m3u"_s)).size());
    struct stat saved1 {
    }, link1 {};
    ::stat(QFile::encodeName(dir.filePath(u"bench.m3u"_s)).constData(), &saved1);
    ::stat(QFile::encodeName(dir.filePath(u"other-link.m3u"_s)).constData(), &link1);
    if (hardLinked && saved1.st_ino != link1.st_ino)
        state.SkipWithError("the file was not rewritten in place");
}

void BM_Save100kEntriesBesideDd(benchmark::State& state) { saveBesideDd(state, false); }

void BM_SaveInPlaceWithBackup100kEntriesBesideDd(benchmark::State& state) { saveBesideDd(state, true); }

BENCHMARK(BM_Save100kEntriesBesideDd)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveInPlaceWithBackup100kEntriesBesideDd)
    ->UseManualTime()
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond);

// A save of an existing playlist with this many copies recorded in the state folder (as
// an older Cantorel left them, for other files; the first save files them in the index,
// before the timing): the save finds its own records directly, so the counter "ms" stays
// the same whatever their number. Compare the three rows.
void BM_SaveWithRecordedCopies(benchmark::State& state)
{
    QTemporaryDir dir;
    QTemporaryDir stateHome;
    const QByteArray backups = QFile::encodeName(stateHome.filePath(u"cantorel/backups"_s));
    if (!dir.isValid() || !stateHome.isValid() || !QDir().mkpath(QFile::decodeName(backups))) {
        state.SkipWithError("cannot prepare the folders");
        return;
    }
    qputenv("XDG_STATE_HOME", QFile::encodeName(stateHome.path()));
    for (int64_t i = 0; i < state.range(0); ++i) {
        const QByteArray id = QByteArray::number(i, 16).rightJustified(16, '0');
        const QByteArray name = "list " + QByteArray::number(i) + ".m3u";
        QFile record(QFile::decodeName(backups + '/' + id + ".origin"));
        if (!QDir().mkdir(QFile::decodeName(backups + '/' + id)) || !record.open(QIODevice::WriteOnly)
            || record.write(
                   "A copy of a file's content, kept by Cantorel while it rewrote the file in place.\n"
                   "folder: 2049:"
                   + QByteArray::number(1000 + i) + "\nname: " + name.toHex() + "\nfile: /home/someone/Music/"
                   + name + '\n')
                < 0) {
            state.SkipWithError("cannot write the records");
            return;
        }
    }
    const QByteArray playlist = "#EXTM3U\r\nArtist - Title.mp3\r\n";
    PlaylistWriter writer;
    if (!writer.write(FolderHandle::open(dir.path()), u"keep.m3u"_s, playlist).saved
        || !writer.write(FolderHandle::open(dir.path()), u"keep.m3u"_s, playlist).saved) {
        state.SkipWithError("the save failed");
        return;
    }
    const FolderHandle folder = FolderHandle::open(dir.path());
    double total = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        const bool saved = writer.write(folder, u"keep.m3u"_s, playlist).saved;
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        if (!saved) {
            state.SkipWithError("the save failed");
            return;
        }
        state.SetIterationTime(seconds);
        total += seconds;
    }
    state.counters["ms"] = 1e3 * total / double(state.iterations());
    qunsetenv("XDG_STATE_HOME");
}

BENCHMARK(BM_SaveWithRecordedCopies)
    ->Arg(0)
    ->Arg(10000)
    ->Arg(50000)
    ->UseManualTime()
    ->Iterations(200)
    ->Unit(benchmark::kMillisecond);

} // namespace
