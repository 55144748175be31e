// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// A host of DirTree from another project, written in C++17, with classes of its own named
// TreeNode, ImageList and MountTable. It shows the tree and prints the native path of
// every Click, and refreshes the tree from the first one. With --check it drives the tree
// itself (offscreen is enough) and exits with 0 when everything held:
//  - its own classes and the library's live side by side;
//  - the tree lists the drives with their pictures, expands by the keyboard, refreshes;
//  - a handler that deletes the control from its first Click ends every action cleanly
//    (a sanitizer build of the host sees any use of the freed control).
#include <DirTree/dirtree.h>
#include <DirTree/drivesystem.h>
#include <dirtree.h> // the older include path, still there

#include "imagelist.h"
#include "mounttable.h"
#include "treenode.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QTreeWidget>

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>

static_assert(DIRTREE_VERSION_MAJOR == 0 && DIRTREE_VERSION >= 0x000400, "DirTree 0.4 or later");

namespace {

// Runs the event loop until `done` holds, for at most ten seconds: the control reads the
// disk on a thread of its own, and what a slow disk answers comes later.
template <typename Done> bool waitUntil(Done done)
{
    QElapsedTimer waited;
    waited.start();
    while (!done() && waited.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return done();
}

using Cantorel::DirTree;

void sendKey(QWidget* to, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(to, &press);
}

void sendClick(QWidget* to, QPoint at)
{
    const QPointer<QWidget> alive(to);
    QMouseEvent press(QEvent::MouseButtonPress, at, to->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(to, &press);
    if (!alive)
        return;
    QMouseEvent release(
        QEvent::MouseButtonRelease, at, to->mapToGlobal(at), Qt::LeftButton, Qt::NoButton, {});
    QApplication::sendEvent(to, &release);
}

// Each action on a fresh control whose host deletes it from the first Click.
bool deletesCleanly()
{
    const std::pair<const char*, std::function<void(DirTree*)>> actions[] = {
        {"left click",
            [](DirTree* t) {
                QTreeView* view = t->tree();
                sendClick(view->viewport(), view->visualRect(view->model()->index(0, 0)).center());
            }},
        {"Return", [](DirTree* t) { sendKey(t->tree(), Qt::Key_Return); }},
        {"Right", [](DirTree* t) { sendKey(t->tree(), Qt::Key_Right); }},
        {"'*'", [](DirTree* t) { sendKey(t->tree(), Qt::Key_Asterisk, Qt::KeypadModifier); }},
        {"expansion by the host", [](DirTree* t) { t->tree()->topLevelItem(0)->setExpanded(true); }},
    };
    bool ok = true;
    for (const auto& [name, act] : actions) {
        auto* tree = new DirTree;
        tree->GoList();
        if (!waitUntil([tree] { return tree->tree()->topLevelItemCount() > 0; }))
            return false;
        tree->resize(300, 300);
        tree->show();
        tree->tree()->setCurrentItem(tree->tree()->topLevelItem(0));
        int clicks = 0;
        QObject::connect(tree, &DirTree::Click, tree, [&clicks, tree] {
            ++clicks;
            delete tree;
        });
        const QPointer<DirTree> alive(tree);
        act(tree);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
        std::printf("delete from Click, %s: %d Click, control %s\n", name, clicks, alive ? "alive" : "gone");
        if (clicks != 1 || alive) {
            delete alive.data();
            ok = false;
        }
    }
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    std::printf("DirTree %s\n", DIRTREE_VERSION_STRING);

    // The host's own classes, alive beside the library's.
    TreeNode ownNode(7);
    ImageList ownImages;
    ownImages.add("logo");
    const MountTable ownMounts;

    DirTree tree;
    int clicks = 0;
    QObject::connect(&tree, &DirTree::Click, &tree, [&] {
        std::printf("Click: %s\n", tree.nativePathBytes().constData());
        if (++clicks == 1)
            tree.GoList();
    });
    tree.GoList();
    tree.show();
    if (argc < 2 || std::strcmp(argv[1], "--check") != 0)
        return app.exec();
    waitUntil([&tree] { return tree.tree()->topLevelItemCount() > 0; });

    QTreeWidgetItem* drive = tree.tree()->topLevelItem(0);
    if (!drive || drive->icon(0).pixmap(16, 16).isNull()) {
        std::fprintf(stderr, "dirtree-host: no drives or no pictures\n");
        return 1;
    }
    for (const int key : {int(Qt::Key_Right), int(Qt::Key_Right), int(Qt::Key_Down), int(Qt::Key_F5)}) {
        if (!tree.tree()->currentItem())
            tree.tree()->setCurrentItem(tree.tree()->topLevelItem(0));
        sendKey(tree.tree(), key);
        QApplication::processEvents();
    }
    std::printf("%d Clicks, path %s\n", clicks, qPrintable(tree.path()));

    const QTreeWidgetItem* ownItem = &ownNode; // through the vtable
    // The path API, and the platform's drive layer from the one library.
    const std::unique_ptr<Cantorel::DriveSystem> platform = Cantorel::DriveSystem::createPlatform();
    DirTree restored;
    QString changed;
    QString unreachable;
    QObject::connect(
        &restored, &DirTree::currentPathChanged, &restored, [&changed](const QString& p) { changed = p; });
    QObject::connect(&restored, &DirTree::currentPathUnreachable, &restored,
        [&unreachable](const QString& p) { unreachable = p; });
    bool pathApi = restored.setCurrentPath(QStringLiteral("/"));
    pathApi = pathApi && waitUntil([&changed] { return !changed.isEmpty(); })
        && changed == QStringLiteral("/") && restored.currentPath() == QStringLiteral("/")
        && restored.setCurrentPath(QStringLiteral("/no such folder"))
        && waitUntil([&unreachable] { return !unreachable.isEmpty(); })
        && unreachable == QStringLiteral("/no such folder")
        && !restored.setCurrentPath(QStringLiteral("relative"));
    std::printf("path API %s, platform separator %c\n", pathApi ? "ok" : "broken", platform->separator());

    bool ok = clicks > 0 && ownItem->data(0, Qt::UserRole).toInt() == 7 && ownImages.count() == 1
        && ownMounts.describe() == "host mount table" && pathApi && platform->separator() == '/';
    ok = deletesCleanly() && ok;
    return ok ? 0 : 1;
}
