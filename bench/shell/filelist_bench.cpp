// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// How long the main window's file list takes to come up for a big folder of media files,
// and what it holds: reading, filtering and sorting the folder against `ls -f` and a bare
// readdir of the same folder in the same run; the whole program from the splash click to
// the main window's first paint against `ls -f`; and the resident set of that window above
// the same window on an empty folder.
//
// The folders are made once and kept for later runs (making a million files takes a while):
// `cantorel-filelist-<count>` under CANTOREL_BENCH_DIR, else /dev/shm (tmpfs) where there
// is one, else the temporary folder. A folder is reused only when it was completed.
// By default the folder has 100,000 media files; CANTOREL_BENCH_MILLION=1 adds the same
// measures at 1,000,000 (about 1 GB of kernel memory for the inodes on tmpfs, and some
// tens of seconds to make the first time).
#include "filelistmodel.h"
#include "folderhandle.h"
#include "filenamepatterns.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>

using namespace Qt::StringLiterals;

namespace {

constexpr int kOtherFiles = 500; // files that do not match, beside the media files

QString benchRoot()
{
    const QString chosen = qEnvironmentVariable("CANTOREL_BENCH_DIR");
    if (!chosen.isEmpty())
        return chosen;
    const QFileInfo shm(u"/dev/shm"_s);
    return shm.isDir() && shm.isWritable() ? shm.filePath() : QDir::tempPath();
}

bool touch(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    return fd >= 0 && ::close(fd) == 0;
}

// A folder with `count` media files with numbered, mixed-case names and 500 that do not
// match; made on first use and kept.
QString benchFolder(int count)
{
    static std::map<int, QString> made;
    if (const auto it = made.find(count); it != made.end())
        return it->second;
    const QString path = benchRoot() + u"/cantorel-filelist-"_s + QString::number(count);
    const QByteArray base = QFile::encodeName(path) + '/';
    if (!QFileInfo::exists(path + u"/.complete"_s)) {
        std::fprintf(stderr, "making %d files in %s ...\n", count, qPrintable(path));
        QDir().mkpath(path);
        const char* extensions[] = {"mp3", "WAV", "wma", "Mpeg"};
        char name[64];
        for (int i = 0; i < count; ++i) {
            std::snprintf(name, sizeof name, "Track %d of the set.%s", i, extensions[i % 4]);
            if (!touch(base + name))
                std::fprintf(stderr, "cannot create %s%s\n", base.constData(), name);
        }
        for (int i = 0; i < kOtherFiles; ++i) {
            std::snprintf(name, sizeof name, "cover %d.jpg", i);
            touch(base + name);
        }
        touch(base + ".complete");
    }
    benchmark::AddCustomContext("folder_" + std::to_string(count), path.toStdString());
    return made[count] = path;
}

// The names a plain directory read yields, nothing decoded, checked or sorted.
int readdirCount(const QString& folder)
{
    int count = 0;
    if (DIR* dir = ::opendir(QFile::encodeName(folder).constData())) {
        while (::readdir(dir))
            ++count;
        ::closedir(dir);
    }
    return count;
}

// The processor time, user and system, of the children this process has waited for.
double childrenCpuSeconds()
{
    rusage usage {};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Times {
    double seconds = 0;
    double cpuSeconds = 0;
};

// `ls -f` of the folder, its output thrown away: it lists the folder unsorted, without a
// stat per file. Its time and processor time.
Times lsF(benchmark::State& state, const QString& folder)
{
    QProcess ls;
    ls.setStandardOutputFile(QProcess::nullDevice());
    const double cpuBefore = childrenCpuSeconds();
    QElapsedTimer timer;
    timer.start();
    ls.start(u"ls"_s, {u"-f"_s, folder});
    if (!ls.waitForFinished(-1) || ls.exitCode() != 0)
        state.SkipWithError("ls -f failed");
    return {timer.nsecsElapsed() / 1e9, childrenCpuSeconds() - cpuBefore};
}

void BM_MatchingFiles(benchmark::State& state)
{
    const int count = int(state.range(0));
    const QString folder = benchFolder(count);
    const FileNamePatterns& patterns = FileNamePatterns::media();
    for (auto _ : state) {
        const FileListModel model(FolderHandle::open(folder), patterns);
        if (model.rowCount() != count)
            state.SkipWithError("wrong number of files listed");
        benchmark::DoNotOptimize(model.rowCount());
    }
}

// The list fill side by side with `ls -f` and with a bare readdir, alternating within each
// iteration so that all see the same machine load. The time shown is the fill's; the
// counters give the three times per iteration and the fill's ratio to each of the others.
void BM_FillAgainstLsF(benchmark::State& state)
{
    const int count = int(state.range(0));
    const QString folder = benchFolder(count);
    const FileNamePatterns& patterns = FileNamePatterns::media();
    double fill = 0, ls = 0, bare = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        {
            FileListModel model(FolderHandle::open(folder), patterns);
            if (model.rowCount() != count)
                state.SkipWithError("wrong number of files listed");
        }
        const double fillSeconds = timer.nsecsElapsed() / 1e9;

        ls += lsF(state, folder).seconds;

        timer.restart();
        benchmark::DoNotOptimize(readdirCount(folder));
        bare += timer.nsecsElapsed() / 1e9;

        fill += fillSeconds;
        state.SetIterationTime(fillSeconds);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["fill_ms"] = fill / n * 1e3;
    state.counters["ls_f_ms"] = ls / n * 1e3;
    state.counters["readdir_ms"] = bare / n * 1e3;
    state.counters["x_ls_f"] = fill / ls;
    state.counters["x_readdir"] = fill / bare;
}

// A keyboard search that finds nothing, as typing letters no file starts with makes it:
// the view asks the model to match every row's text. "x", and "Ëx" (folded to "ex", as
// the order folds case and accents).
void BM_KeyboardSearchMiss(benchmark::State& state, const QString& typed)
{
    const int count = int(state.range(0));
    const FileListModel model(FolderHandle::open(benchFolder(count)), FileNamePatterns::media());
    for (auto _ : state) {
        const QModelIndexList found
            = model.match(model.index(0), Qt::DisplayRole, typed, 1, Qt::MatchStartsWith | Qt::MatchWrap);
        if (!found.isEmpty())
            state.SkipWithError("found a file starting with the typed letters");
    }
}

struct Probe {
    double seconds = 0;    // from the splash click to the list's first paint
    double cpuSeconds = 0; // the processor time the program took for it
    double resident = 0;   // bytes
    int rows = -1;
    int scrollRange = -1;     // of the list at its first paint: more than 0 once laid out
    double windowSeconds = 0; // from the splash click to the main window's first paint
};

// The program started on `folder` in a process of its own (filelist_probe, beside this
// benchmark), its splash clicked.
Probe probe(benchmark::State& state, const QString& folder)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QCoreApplication::applicationDirPath() + u"/filelist_probe"_s, {folder});
    Probe result;
    if (!process.waitForFinished(-1) || process.exitCode() != 0) {
        state.SkipWithError("filelist_probe failed");
        return result;
    }
    const QList<QByteArray> fields = process.readAllStandardOutput().trimmed().split(' ');
    if (fields.size() < 5) {
        state.SkipWithError("filelist_probe said nothing");
        return result;
    }
    result.seconds = fields[0].toDouble() / 1e9;
    result.resident = fields[1].toDouble();
    result.rows = fields[2].toInt();
    result.scrollRange = fields[3].toInt();
    result.cpuSeconds = fields[4].toDouble() / 1e9;
    result.windowSeconds = fields.size() > 5 ? fields[5].toDouble() / 1e9 : 0;
    return result;
}

// The whole program, as a user meets it: from the click on the splash to the end of the
// first paint of the main window's file list holding the whole folder, side by side with `ls -f` of the same folder
// and with the same program on an empty folder, alternating within each iteration. The
// time shown is the window's; the counters give the window's and ls's times and their
// ratio, the same for processor time (which other work on the machine disturbs less), the
// empty folder's time, and the resident set the list adds per file (the window's resident
// set on the big folder less that on the empty folder, over the files listed), and the
// time from the click to the window's own first paint (it does not wait for the folder).
void BM_WindowAgainstLsF(benchmark::State& state)
{
    const int count = int(state.range(0));
    const QString folder = benchFolder(count);
    QTemporaryDir empty;
    double window = 0, ls = 0, windowCpu = 0, lsCpu = 0, emptyWindow = 0, added = 0, shown = 0;
    for (auto _ : state) {
        const Probe full = probe(state, folder);
        if (full.rows != count)
            state.SkipWithError("wrong number of files listed");
        if (full.scrollRange <= 0)
            state.SkipWithError("the list was painted before it was laid out");
        const Times listing = lsF(state, folder);
        ls += listing.seconds;
        lsCpu += listing.cpuSeconds;
        const Probe none = probe(state, empty.path());
        window += full.seconds;
        shown += full.windowSeconds;
        windowCpu += full.cpuSeconds;
        emptyWindow += none.seconds;
        added += full.resident - none.resident;
        state.SetIterationTime(full.seconds);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["window_ms"] = window / n * 1e3;
    state.counters["ls_f_ms"] = ls / n * 1e3;
    state.counters["x_ls_f"] = window / ls;
    state.counters["window_cpu_ms"] = windowCpu / n * 1e3;
    state.counters["ls_f_cpu_ms"] = lsCpu / n * 1e3;
    state.counters["x_ls_f_cpu"] = windowCpu / lsCpu;
    state.counters["empty_ms"] = emptyWindow / n * 1e3;
    state.counters["bytes_a_file"] = added / n / count;
    state.counters["window_shown_ms"] = shown / n * 1e3;
}

// Registers every measure at `count` files.
void registerAt(int count, int windowRuns)
{
    benchmark::RegisterBenchmark("BM_MatchingFiles", BM_MatchingFiles)
        ->Arg(count)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_FillAgainstLsF", BM_FillAgainstLsF)
        ->Arg(count)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->MinTime(2.0);
    benchmark::RegisterBenchmark("BM_KeyboardSearchMiss", BM_KeyboardSearchMiss, u"x"_s)
        ->Arg(count)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_KeyboardSearchMissFolded", BM_KeyboardSearchMiss, u"\u00cbx"_s)
        ->Arg(count)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_WindowAgainstLsF", BM_WindowAgainstLsF)
        ->Arg(count)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(windowRuns);
}

[[maybe_unused]] const bool registered = [] {
    registerAt(100000, 10);
    if (qEnvironmentVariableIntValue("CANTOREL_BENCH_MILLION") == 1)
        registerAt(1000000, 5);
    return true;
}();

} // namespace
