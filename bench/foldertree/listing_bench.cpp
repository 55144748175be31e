// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// Listing a folder of 10,000 subfolders: the whole tree (GoList puts them under C:), the
// expansion of that drive in a tree on screen (a look-ahead listing per child, the column
// sized to its widest row, a paint), the listing without the tree, and a plain directory
// read of the same folder.
#include "DirTree/dirtree.h"
#include "dirtreeprivate.h"
#include "rooteddrivesystem.h"
#include "scratchlist.h"
#include "treetext.h"

#include <QApplication>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace Cantorel;

namespace {

// The figures are the control's own work: every read is waited for, as on a disk that
// answers at once (bench_foldertree_compare shows the reads that come back later).
void awaitEveryRead(DirTree& tree) { DirTreePrivate::of(tree)->m_budget = std::chrono::milliseconds(-1); }

constexpr int kFolders = 10000;

// The folder, made once: names in mixed case, created in shuffled order, and a file
// beside them that the listings must leave out.
// Removed again when the benchmark program ends.
struct BigFolder {
    std::string path;
    ~BigFolder()
    {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};

const std::string& bigFolder()
{
    static const BigFolder folder {[] {
        char pattern[] = "/tmp/cantorel-bench-XXXXXX";
        if (!::mkdtemp(pattern))
            std::abort();
        std::vector<int> numbers(kFolders);
        for (int i = 0; i < kFolders; ++i)
            numbers[static_cast<std::size_t>(i)] = i;
        std::shuffle(numbers.begin(), numbers.end(), std::mt19937(7));
        for (int n : numbers) {
            const char* stem = n % 3 == 0 ? "FOLDER " : (n % 3 == 1 ? "folder " : "Folder ");
            fs::create_directory(fs::path(pattern) / (stem + std::to_string(n)));
        }
        fs::path file = fs::path(pattern) / "notes.txt";
        std::FILE* f = std::fopen(file.c_str(), "w");
        if (f)
            std::fclose(f);
        return std::string(pattern) + '/';
    }()};
    return folder.path;
}

void BM_DirTreeGoList(benchmark::State& state)
{
    DirTree tree(std::make_unique<RootedDriveSystem>(bigFolder()));
    awaitEveryRead(tree);
    for (auto _ : state) {
        tree.GoList();
        if (tree.tree()->topLevelItem(0)->childCount() != kFolders)
            state.SkipWithError("wrong number of folders");
    }
    state.SetItemsProcessed(state.iterations() * kFolders);
}
BENCHMARK(BM_DirTreeGoList)->Unit(benchmark::kMillisecond);

void BM_DirTreeExpandOnScreen(benchmark::State& state)
{
    DirTree tree(std::make_unique<RootedDriveSystem>(bigFolder()));
    awaitEveryRead(tree);
    tree.resize(300, 300);
    tree.show();
    for (auto _ : state) {
        tree.GoList();
        tree.tree()->topLevelItem(0)->setExpanded(true);
        QCoreApplication::processEvents();
        tree.tree()->viewport()->repaint();
        if (tree.tree()->columnWidth(0) <= 0)
            state.SkipWithError("the column has no width");
    }
    state.SetItemsProcessed(state.iterations() * kFolders);
}
BENCHMARK(BM_DirTreeExpandOnScreen)->Unit(benchmark::kMillisecond);

// The listing's own work without the tree: read, proper-case, sort.
void BM_ListingWithoutTree(benchmark::State& state)
{
    const auto drives = DriveSystem::createPlatform();
    ScratchList list;
    for (auto _ : state) {
        const auto entries = drives->enumerate(bigFolder());
        std::string name;
        while (entries->next(name) == FolderEnumeration::Step::Entry) {
            if (name == "." || name == "..")
                continue;
            const auto a = drives->attributes(bigFolder() + name);
            if (!a || a->directory)
                list.addItem(
                    TreeText::properCase(QString::fromStdString(name)), QByteArray::fromStdString(name));
        }
        benchmark::DoNotOptimize(list.items().size());
        list.clear();
    }
    state.SetItemsProcessed(state.iterations() * kFolders);
}
BENCHMARK(BM_ListingWithoutTree)->Unit(benchmark::kMillisecond);

// What any program pays to find the subfolders of the folder.
void BM_PlainDirectoryRead(benchmark::State& state)
{
    for (auto _ : state) {
        int folders = 0;
        for (const fs::directory_entry& entry : fs::directory_iterator(bigFolder()))
            folders += entry.is_directory() ? 1 : 0;
        if (folders != kFolders)
            state.SkipWithError("wrong number of folders");
    }
    state.SetItemsProcessed(state.iterations() * kFolders);
}
BENCHMARK(BM_PlainDirectoryRead)->Unit(benchmark::kMillisecond);

} // namespace
