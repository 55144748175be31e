// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// A host of a Qt built with QT_NAMESPACE, compiled only. The system's Qt is built without
// a namespace, so CTest compiles this with QT_NAMESPACE defined on the command line: Qt's
// headers then declare everything inside that namespace, consistently, and so must
// DirTree's header its forward declarations. A `class QTreeWidget;` at global scope would
// name another class than Qt's, and tree() would not give a QT_PREPEND_NAMESPACE(QTreeWidget).
#include <QTreeWidget>

#include <DirTree/dirtree.h>

#ifndef QT_NAMESPACE
#error "compile this with QT_NAMESPACE set"
#endif

QT_USE_NAMESPACE

int hostOfANamespacedQt(Cantorel::DirTree& tree)
{
    QT_PREPEND_NAMESPACE(QTreeWidget)* view = tree.tree();
    QT_PREPEND_NAMESPACE(QTreeWidgetItem)* node = tree.node(1);
    const QString path = tree.nativePath(node);
    return view->topLevelItemCount() + static_cast<int>(path.size());
}
