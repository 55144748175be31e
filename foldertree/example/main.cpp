// Hosts the folder tree control in a window of its own: the tree fills the window, and
// a line below it shows the folder of every click, as the control reports it and as the
// platform names it.
#include "dirtree.h"

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

using namespace Qt::Literals::StringLiterals;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);

    QWidget window;
    window.setWindowTitle(u"Folder tree"_s);
    auto* tree = new DirTree;
    auto* label = new QLabel(u"Click a drive or a folder."_s);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(tree, 1);
    layout->addWidget(label);

    QObject::connect(tree, &DirTree::Click, label, [tree, label] {
        label->setText(u"path: %1\nnativePath(): %2"_s.arg(tree->path(), tree->nativePath()));
    });

    tree->GoList();
    window.resize(480, 420);
    window.show();
    tree->setFocus();
    return app.exec();
}
