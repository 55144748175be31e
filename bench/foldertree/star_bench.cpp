// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// '*' on a node with 4,000, 20,000 and 100,000 listed children, each holding one
// subfolder: every child is expanded (a look-ahead listing each) in one press, in a tree
// on screen. The machine is held in memory, so the figures are the control's own; the
// counter per_child is the time of the press divided by the children, which stays about
// the same from 4,000 to 100,000 when the press takes linear time. And '*' pressed again
// and again on a folder that holds a link to itself, which grows by one level per press:
// a press costs what the nodes it adds cost, not more.
#include "DirTree/dirtree.h"
#include "dirtreeprivate.h"
#include "fakedrivesystem.h"
#include "rooteddrivesystem.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;
using namespace Cantorel;

namespace {

// The figures are the control's own work: every read is waited for, as on a disk that
// answers at once (bench_foldertree_compare shows the reads that come back later).
void awaitEveryRead(DirTree& tree) { DirTreePrivate::of(tree)->m_budget = std::chrono::milliseconds(-1); }

struct TempFolder {
    std::string path;
    ~TempFolder()
    {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};

std::string makeTemp()
{
    char pattern[] = "/tmp/cantorel-star-XXXXXX";
    if (!::mkdtemp(pattern))
        std::abort();
    return std::string(pattern) + '/';
}

// C:\a, C:\b, C:\loop -> C:\ (the link names its own folder).
const std::string& loopFolder()
{
    static const TempFolder folder {[] {
        const std::string root = makeTemp();
        fs::create_directory(fs::path(root) / "a");
        fs::create_directory(fs::path(root) / "b");
        fs::create_directory_symlink(".", fs::path(root) / "loop");
        return root;
    }()};
    return folder.path;
}

void pressStar(QTreeWidget* view)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Asterisk, Qt::KeypadModifier, QStringLiteral("*"));
    QApplication::sendEvent(view, &press);
}

int nodeCount(const DirTree& tree)
{
    int n = 0;
    while (tree.node(n + 1))
        ++n;
    return n;
}

// C:\Folder 0\Inner ... C:\Folder <n - 1>\Inner, in memory.
std::unique_ptr<FakeDriveSystem> wideMachine(int children)
{
    auto fs = std::make_unique<FakeDriveSystem>();
    fs->listEntryTypes();
    fs->addDrive('C', DriveSystem::Fixed, "Test");
    for (int i = 0; i < children; ++i)
        fs->addFolder("C:\\Folder " + std::to_string(i) + "\\Inner");
    return fs;
}

void BM_StarOverWideFolder(benchmark::State& state)
{
    const int children = static_cast<int>(state.range(0));
    DirTree tree(wideMachine(children));
    awaitEveryRead(tree);
    tree.resize(300, 300);
    tree.show();
    for (auto _ : state) {
        state.PauseTiming();
        tree.GoList();
        QTreeWidgetItem* drive = tree.tree()->topLevelItem(0);
        drive->setExpanded(true); // the children list their subfolder: each can be expanded
        tree.tree()->setCurrentItem(drive);
        while (DirTreePrivate::of(tree)->reading()) // '*' waits for no fill
            QCoreApplication::processEvents();
        state.ResumeTiming();
        pressStar(tree.tree());
        // '*' goes on batch by batch from the event loop, up to the last child.
        while (DirTreePrivate::of(tree)->reading())
            QCoreApplication::processEvents();
        tree.tree()->viewport()->repaint();
        if (drive->childCount() != children || !drive->child(children - 1)->isExpanded()) {
            state.SkipWithError("'*' did not expand the last child");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * children);
    state.counters["per_child"] = benchmark::Counter(static_cast<double>(state.iterations()) * children,
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_StarOverWideFolder)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->Arg(4000)
    ->Arg(20000)
    ->Arg(100000);

// The expansion of a node with n children (the host's setExpanded): a Click per child, each
// after its look-ahead listing. bytes_per_node is the heap the filled tree holds, per node.
void BM_ExpandWideFolder(benchmark::State& state)
{
    const int children = static_cast<int>(state.range(0));
    double bytesPerNode = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<FakeDriveSystem> machine = wideMachine(children);
        const std::size_t before = ::mallinfo2().uordblks;
        auto tree = std::make_unique<DirTree>(std::move(machine));
        awaitEveryRead(*tree);
        tree->resize(300, 300);
        tree->show();
        tree->GoList();
        QCoreApplication::processEvents();
        QTreeWidgetItem* drive = tree->tree()->topLevelItem(0);
        state.ResumeTiming();
        drive->setExpanded(true);
        // The children after the first batch come from the event loop.
        while (DirTreePrivate::of(*tree)->reading())
            QCoreApplication::processEvents();
        tree->tree()->viewport()->repaint();
        state.PauseTiming();
        if (drive->childCount() != children) {
            state.SkipWithError("the expansion did not list every child");
            break;
        }
        // The machine's own memory is counted out (its size before the tree's doings).
        bytesPerNode = static_cast<double>(::mallinfo2().uordblks - before) / nodeCount(*tree);
        tree.reset();
        state.ResumeTiming();
    }
    state.counters["per_child"] = benchmark::Counter(static_cast<double>(state.iterations()) * children,
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["bytes_per_node"] = bytesPerNode;
}
BENCHMARK(BM_ExpandWideFolder)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->Arg(4000)
    ->Arg(20000)
    ->Arg(100000);

// The time of the n-th press, n = range(0); the counter is the nodes that press added.
void BM_StarOverLinkLoop(benchmark::State& state)
{
    DirTree tree(std::make_unique<RootedDriveSystem>(loopFolder()));
    awaitEveryRead(tree);
    tree.resize(300, 300);
    tree.show();
    int added = 0;
    for (auto _ : state) {
        state.PauseTiming();
        tree.GoList();
        tree.tree()->setCurrentItem(tree.tree()->topLevelItem(0));
        for (int i = 1; i < state.range(0); ++i)
            pressStar(tree.tree());
        QCoreApplication::processEvents();
        const int before = nodeCount(tree);
        state.ResumeTiming();
        pressStar(tree.tree());
        QCoreApplication::processEvents();
        state.PauseTiming();
        added = nodeCount(tree) - before;
        state.ResumeTiming();
    }
    state.counters["added"] = added;
}
BENCHMARK(BM_StarOverLinkLoop)->Unit(benchmark::kMillisecond)->Arg(5)->Arg(20)->Arg(40);

} // namespace
