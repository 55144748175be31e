// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// Hosts the folder tree control in a window of its own: the tree fills the window, and
// a line below it shows the folder of every click, as the control reports it and as the
// platform names it. With the box ticked the host refreshes the tree from every Click,
// as a careless host might; the control copes with that at any point of a handling. The
// folder chosen last is kept with QSettings and chosen again at the next start, through
// the path API (as bytes, so a name that is not UTF-8 comes back too).
#include <DirTree/dirtree.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QSettings>
#include <QVBoxLayout>
#include <QWidget>

using namespace Qt::Literals::StringLiterals;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);

    QWidget window;
    window.setWindowTitle(u"Folder tree"_s);
    auto* tree = new Cantorel::DirTree;
    auto* label = new QLabel(u"Click a drive or a folder."_s);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* refresh = new QCheckBox(u"Refresh the tree from Click"_s);
    refresh->setChecked(app.arguments().contains(u"--refresh-on-click"_s));

    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(tree, 1);
    layout->addWidget(label);
    layout->addWidget(refresh);

    QObject::connect(tree, &Cantorel::DirTree::Click, label, [tree, label, refresh] {
        const QString native = tree->nativePath().isEmpty()
            ? QString::fromLatin1(tree->nativePathBytes().toPercentEncoding("/\\:"))
            : tree->nativePath();
        label->setText(u"path: %1\nnative path: %2"_s.arg(tree->path(), native));
        if (refresh->isChecked())
            tree->GoList();
    });

    QSettings settings(u"Cantorel"_s, u"foldertree-example"_s);
    QObject::connect(tree, &Cantorel::DirTree::currentPathChanged, tree,
        [tree, &settings] { settings.setValue(u"folder"_s, tree->currentPathBytes()); });
    QObject::connect(tree, &Cantorel::DirTree::currentPathUnreachable, label, [label](const QString& folder) {
        label->setText(u"The last folder, %1, is not there any more."_s.arg(folder));
    });

    tree->GoList();
    tree->setCurrentPathBytes(settings.value(u"folder"_s).toByteArray());
    window.resize(480, 420);
    window.show();
    tree->setFocus();
    return app.exec();
}
