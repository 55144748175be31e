// How long the main window's file list takes to come up for a folder of 100,000 media
// files: reading, filtering and sorting the folder, against `ls -f` and a bare readdir of
// the same folder in the same run, and the whole window's creation and first paint.
#include "filelistmodel.h"
#include "folderhandle.h"
#include "frmmain.h"
#include "playlistformat.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <dirent.h>

#include <cstdio>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int kMediaFiles = 100000;

// The folder is made once for all benchmarks: 100,000 matching files with numbered,
// mixed-case names, and a few hundred that do not match.
const QTemporaryDir& bigFolder()
{
    static const auto dir = [] {
        auto d = std::make_unique<QTemporaryDir>();
        const QDir folder(d->path());
        const QString extensions[] = {u"mp3"_s, u"WAV"_s, u"wma"_s, u"Mpeg"_s};
        for (int i = 0; i < kMediaFiles; ++i) {
            QFile file(folder.filePath(u"Track %1 of the set.%2"_s.arg(i).arg(extensions[i % 4])));
            if (!file.open(QIODevice::WriteOnly))
                std::fprintf(stderr, "cannot create %s\n", qPrintable(file.fileName()));
        }
        for (int i = 0; i < 500; ++i) {
            QFile file(folder.filePath(u"cover %1.jpg"_s.arg(i)));
            (void)file.open(QIODevice::WriteOnly);
        }
        return d;
    }();
    return *dir;
}

void BM_MatchingFiles(benchmark::State& state)
{
    const QString folder = bigFolder().path();
    const QStringList patterns = FileListModel::splitPatterns(PlaylistFormat::kMediaFilePattern);
    for (auto _ : state) {
        const QStringList names = FileListModel::matchingFiles(folder, patterns);
        if (names.size() != kMediaFiles)
            state.SkipWithError("wrong number of files listed");
        benchmark::DoNotOptimize(names);
    }
}
BENCHMARK(BM_MatchingFiles)->Unit(benchmark::kMillisecond);

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

// The list fill side by side with `ls -f` (which lists the folder unsorted, without a stat
// per file) and with a bare readdir, alternating within each iteration so that both see the
// same machine load. The time shown is the fill's; the counters give the three times per
// iteration and the fill's ratio to each of the others.
void BM_FillAgainstLsF(benchmark::State& state)
{
    const QString folder = bigFolder().path();
    const QStringList patterns = FileListModel::splitPatterns(PlaylistFormat::kMediaFilePattern);
    double fill = 0, ls = 0, bare = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        FileListModel model(FolderHandle::open(folder), patterns);
        const double fillSeconds = timer.nsecsElapsed() / 1e9;
        if (model.rowCount() != kMediaFiles)
            state.SkipWithError("wrong number of files listed");

        QProcess lsF;
        lsF.setStandardOutputFile(QProcess::nullDevice());
        timer.restart();
        lsF.start(u"ls"_s, {u"-f"_s, folder});
        if (!lsF.waitForFinished(-1) || lsF.exitCode() != 0)
            state.SkipWithError("ls -f failed");
        ls += timer.nsecsElapsed() / 1e9;

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
BENCHMARK(BM_FillAgainstLsF)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The window as the splash opens it: created (File1 filled), shown and painted once.
void BM_MainWindowFirstPaint(benchmark::State& state)
{
    const QString previous = QDir::currentPath();
    QDir::setCurrent(bigFolder().path());
    for (auto _ : state) {
        frmmain window;
        window.show();
        const QPixmap shot = window.grab();
        benchmark::DoNotOptimize(shot);
    }
    QDir::setCurrent(previous);
}
BENCHMARK(BM_MainWindowFirstPaint)->Unit(benchmark::kMillisecond);

} // namespace
