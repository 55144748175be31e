// How long the main window's file list takes to come up for a folder of 100,000 media
// files: reading and sorting the folder, and the whole window's creation and first paint.
#include "filelistmodel.h"
#include "frmmain.h"
#include "playlistformat.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

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
