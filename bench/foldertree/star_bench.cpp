// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// '*' on a node with 4,000 listed children, each holding one subfolder: every child is
// expanded (a look-ahead listing each) in one press, in a tree on screen. And '*' pressed
// again and again on a folder that holds a link to itself, which grows by one level per
// press: a press costs what the nodes it adds cost, not more.
#include "DirTree/dirtree.h"
#include "rooteddrivesystem.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;
using namespace Cantorel;

namespace {

constexpr int kChildren = 4000;

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

// C:\Folder 0\Inner ... C:\Folder 3999\Inner.
const std::string& wideFolder()
{
    static const TempFolder folder{[] {
        const std::string root = makeTemp();
        for (int i = 0; i < kChildren; ++i)
            fs::create_directories(fs::path(root) / ("Folder " + std::to_string(i)) / "Inner");
        return root;
    }()};
    return folder.path;
}

// C:\a, C:\b, C:\loop -> C:\ (the link names its own folder).
const std::string& loopFolder()
{
    static const TempFolder folder{[] {
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

void BM_StarOverWideFolder(benchmark::State& state)
{
    DirTree tree(std::make_unique<RootedDriveSystem>(wideFolder()));
    tree.resize(300, 300);
    tree.show();
    for (auto _ : state) {
        state.PauseTiming();
        tree.GoList();
        QTreeWidgetItem* drive = tree.tree()->topLevelItem(0);
        drive->setExpanded(true); // the children list their subfolder: each can be expanded
        tree.tree()->setCurrentItem(drive);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        pressStar(tree.tree());
        QCoreApplication::processEvents();
        tree.tree()->viewport()->repaint();
        if (!drive->child(kChildren - 1)->isExpanded())
            state.SkipWithError("'*' did not expand the last child");
    }
    state.SetItemsProcessed(state.iterations() * kChildren);
}
BENCHMARK(BM_StarOverWideFolder)->Unit(benchmark::kMillisecond)->Iterations(2);

// The time of the n-th press, n = range(0); the counter is the nodes that press added.
void BM_StarOverLinkLoop(benchmark::State& state)
{
    DirTree tree(std::make_unique<RootedDriveSystem>(loopFolder()));
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
