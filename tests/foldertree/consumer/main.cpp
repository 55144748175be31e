// A host of DirTree from another project. It shows the tree and prints the native path of
// every Click, and refreshes the tree from the first one. With --check it drives the tree
// itself (offscreen is enough): it expands the first drive by the keyboard, presses F5,
// and exits with 0 when the control answered and its pictures were built in.
#include <dirtree.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTreeWidget>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
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

    const QPixmap folder = tree.imageList().picture(QStringLiteral("folder"));
    if (folder.size() != QSize(16, 16) || tree.tree()->topLevelItemCount() == 0) {
        std::fprintf(stderr, "dirtree-host: no pictures or no drives\n");
        return 1;
    }
    for (const int key : {int(Qt::Key_Right), int(Qt::Key_Right), int(Qt::Key_Down), int(Qt::Key_F5)}) {
        if (!tree.tree()->currentItem())
            tree.tree()->setCurrentItem(tree.tree()->topLevelItem(0));
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(tree.tree(), &press);
        QApplication::processEvents();
    }
    std::printf("%d Clicks, path %s\n", clicks, qPrintable(tree.path()));
    return clicks > 0 ? 0 : 1;
}
