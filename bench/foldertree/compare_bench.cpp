// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// The expansion of a folder of 100,000 subfolders (1,000,000 with CANTOREL_BENCH_MILLION=1)
// on disk, in DirTree and in Qt's QFileSystemModel with a QTreeView, in the same run: the
// time until the first rows are painted (first_rows_ms), until every child is shown
// (iteration time), the heap the shown tree holds (heap_mb, from the allocator) and the
// most it held on the way (peak_heap_mb, from the listing on).
// The folder is made under $TMPDIR (default /tmp): a tmpfs there keeps a million folders
// off the disk.
#include "DirTree/dirtree.h"
#include "dirtreeprivate.h"
#include "rooteddrivesystem.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileSystemModel>
#include <QTreeView>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;
using namespace Cantorel;

namespace {

int children() { return qEnvironmentVariableIntValue("CANTOREL_BENCH_MILLION") == 1 ? 1000000 : 100000; }

// ROOT/wide/f0000000 ... made once, removed when the program ends.
struct WideFolder {
    std::string root;
    ~WideFolder()
    {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
};

const std::string& wideRoot()
{
    static const WideFolder folder {[] {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/cantorel-wide-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            std::abort();
        const fs::path wide = fs::path(pattern) / "wide";
        fs::create_directory(wide);
        char name[16];
        for (int i = 0; i < children(); ++i) {
            std::snprintf(name, sizeof name, "f%07d", i);
            fs::create_directory(wide / name);
        }
        return pattern;
    }()};
    return folder.root;
}

// Every byte handed out, large blocks (which the allocator maps on their own) included.
std::size_t heapNow()
{
    const struct mallinfo2 info = ::mallinfo2();
    return info.uordblks + info.hblkhd;
}

double heapMb(std::size_t before) { return static_cast<double>(heapNow() - before) / (1024.0 * 1024.0); }

// The most heap held, sampled on the benchmark's own thread whenever it waits (a sampling
// thread would hold the allocator's lock amid the work it measures). The reader's listing,
// sorted on its own thread while this one waits, is seen.
class PeakHeap
{
public:
    explicit PeakHeap(std::size_t before) : m_before(before), m_peak(before) { }
    void sample() { m_peak = std::max(m_peak, heapNow()); }
    double mb()
    {
        sample();
        return static_cast<double>(m_peak - m_before) / (1024.0 * 1024.0);
    }

private:
    std::size_t m_before;
    std::size_t m_peak;
};

// The tree lists the root, the user clicks 'wide' (its listing is the look-ahead of that
// click) and opens it: a Click per child, each after its own listing.
void BM_DirTreeExpandWide(benchmark::State& state)
{
    const std::string& root = wideRoot();
    double firstRows = 0;
    double heap = 0;
    double peak = 0;
    double listing = 0;
    for (auto _ : state) {
        const std::size_t before = heapNow();
        PeakHeap peakHeap(before);
        auto tree = std::make_unique<DirTree>(std::make_unique<RootedDriveSystem>(root));
        tree->resize(300, 600);
        tree->show();
        tree->GoList();
        QTreeWidgetItem* drive = tree->tree()->topLevelItem(0);
        drive->setExpanded(true);
        QTreeWidgetItem* wide = drive->child(0);
        QElapsedTimer listingClock;
        listingClock.start();
        Q_EMIT tree->tree()->itemClicked(wide, 0);
        while (DirTreePrivate::of(*tree)->reading()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
            peakHeap.sample();
        }
        listing = static_cast<double>(listingClock.nsecsElapsed()) / 1e6;
        QElapsedTimer clock;
        clock.start();
        wide->setExpanded(true);
        QCoreApplication::processEvents();
        tree->tree()->viewport()->repaint();
        firstRows = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        while (DirTreePrivate::of(*tree)->reading()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
            peakHeap.sample();
        }
        state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
        if (wide->childCount() != children())
            state.SkipWithError("not every child is shown");
        heap = heapMb(before);
        peak = peakHeap.mb();
    }
    state.counters["first_rows_ms"] = firstRows;
    state.counters["heap_mb"] = heap;
    state.counters["peak_heap_mb"] = peak;
    // The click on 'wide' before the clock starts: its listing is that click's look-ahead.
    state.counters["listing_ms"] = listing;
}
BENCHMARK(BM_DirTreeExpandWide)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

// The same folder opened in a QTreeView over a QFileSystemModel, which reads in a thread
// of its own and fetches rows as the view asks for them.
void BM_FileSystemModelExpandWide(benchmark::State& state)
{
    const QString wide = QString::fromStdString(wideRoot()) + QStringLiteral("/wide");
    double firstRows = 0;
    double heap = 0;
    double peak = 0;
    for (auto _ : state) {
        const std::size_t before = heapNow();
        PeakHeap peakHeap(before);
        auto model = std::make_unique<QFileSystemModel>();
        model->setFilter(QDir::Dirs | QDir::NoDotAndDotDot);
        QTreeView view;
        view.setModel(model.get());
        view.resize(300, 600);
        view.show();
        model->setRootPath(QString::fromStdString(wideRoot()));
        view.setRootIndex(model->index(QString::fromStdString(wideRoot())));
        QElapsedTimer clock;
        clock.start();
        const QModelIndex index = model->index(wide);
        view.expand(index);
        while (model->rowCount(index) == 0) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
            peakHeap.sample();
        }
        view.viewport()->repaint();
        firstRows = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        while (model->rowCount(index) < children() || model->canFetchMore(index)) {
            if (model->canFetchMore(index))
                model->fetchMore(index);
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
            peakHeap.sample();
        }
        view.viewport()->repaint();
        state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
        heap = heapMb(before);
        peak = peakHeap.mb();
    }
    state.counters["first_rows_ms"] = firstRows;
    state.counters["heap_mb"] = heap;
    state.counters["peak_heap_mb"] = peak;
}
BENCHMARK(BM_FileSystemModelExpandWide)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

} // namespace
