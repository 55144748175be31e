// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

// What the tests of DirTree share: an in-memory machine, a readable dump of the tree and
// a fixture that records every Click with the path it reported.
#include "DirTree/dirtree.h"
#include "dirtreeprivate.h"
#include "fakedrivesystem.h"
#include "treetrigger.h"

#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

using namespace Cantorel;

using Machine = std::function<void(FakeDriveSystem&)>;

// The tests of the order of events wait for every read of the in-memory machine, however
// loaded the test machine is; the reads that do not come back in time have tests of their own.
inline void awaitEveryRead(DirTree& tree)
{
    DirTreePrivate::of(tree)->m_budget = std::chrono::milliseconds(-1);
}

// A readable picture of the whole tree, one node a line: index, key, text, pictures,
// indented by depth.
inline void dumpNode(const QTreeWidgetItem* node, int depth, std::string& out)
{
    out += std::string(static_cast<std::size_t>(depth) * 2, ' ');
    out += std::to_string(node->data(0, DirTree::IndexRole).toInt());
    const QString key = node->data(0, DirTree::KeyRole).toString();
    if (!key.isEmpty())
        out += ' ' + key.toStdString();
    out += " '" + node->text(0).toStdString() + "' "
        + node->data(0, DirTree::ImageRole).toString().toStdString();
    const QString selected = node->data(0, DirTree::SelectedImageRole).toString();
    if (!selected.isEmpty())
        out += '/' + selected.toStdString();
    out += '\n';
    for (int i = 0; i < node->childCount(); ++i)
        dumpNode(node->child(i), depth + 1, out);
}

inline std::string dump(const DirTree& tree)
{
    std::string out;
    for (int i = 0; i < tree.tree()->topLevelItemCount(); ++i)
        dumpNode(tree.tree()->topLevelItem(i), 0, out);
    return out;
}

// The usual machine: an empty floppy drive, C: with a few folders.
inline void standardMachine(FakeDriveSystem& fs)
{
    fs.addDrive('A', DriveSystem::Removable, "FLOPPY");
    fs.failEnumeration("A:");
    fs.addDrive('C', DriveSystem::Fixed, "SYSTEM");
    fs.addFolder("C:\\Windows");
    fs.addFolder("C:\\Program Files\\COMMON FILES\\System");
    fs.addFolder("C:\\Users\\ann\\Music");
    fs.addFile("C:\\pagefile.txt");
}

// A trigger on the usual machine's drive C: with the Clicks it raises when the host does
// nothing: the drive node's, and one for each of its folders where it opens the node.
struct TriggerClicks {
    const char* name;
    Trigger trigger;
    int clicks;
};

inline constexpr TriggerClicks kTriggerClicks[] = {
    {"LeftClick", Trigger::LeftClick, 1},
    {"ExpandMark", Trigger::ExpandMark, 4},
    {"DoubleClick", Trigger::DoubleClick, 5},
    {"KeyDown", Trigger::KeyDown, 1},
    {"Return", Trigger::Return, 1},
    {"Right", Trigger::Right, 4},
    {"Plus", Trigger::Plus, 4},
    {"StarCollapsed", Trigger::StarCollapsed, 8},
    {"StarExpanded", Trigger::StarExpanded, 5},
    {"SetExpanded", Trigger::SetExpanded, 4},
    {"ExpandItem", Trigger::ExpandItem, 4},
};

// The node with the given full path ('System (C:)\Windows'); null when there is none.
inline QTreeWidgetItem* findNode(const DirTree& tree, const QString& fullPath)
{
    for (int i = 1; QTreeWidgetItem* node = tree.node(i); ++i) {
        if (DirTree::fullPath(node) == fullPath)
            return node;
    }
    return nullptr;
}

// Readies the usual machine's tree, listed, on view and with the focus, for `trigger` on
// drive C:: the drive is the current node (for KeyDown the node above it), open or closed
// as '*' wants it.
inline void readyForTrigger(DirTree& tree, Trigger trigger)
{
    tree.GoList();
    QTreeWidgetItem* drive = findNode(tree, QStringLiteral("System (C:)"));
    if (trigger == Trigger::StarCollapsed || trigger == Trigger::StarExpanded) {
        drive->setExpanded(true);
        drive->setExpanded(trigger == Trigger::StarExpanded);
    }
    tree.window()->show();
    tree.tree()->setFocus();
    tree.tree()->setCurrentItem(trigger == Trigger::KeyDown ? findNode(tree, QStringLiteral("(A:)")) : drive);
}

class DirTreeTest : public ::testing::Test
{
protected:
    void make(const Machine& machine)
    {
        auto fake = std::make_unique<FakeDriveSystem>();
        machine(*fake);
        fs = fake.get();
        tree = std::make_unique<DirTree>(std::move(fake));
        awaitEveryRead(*tree);
        DirTree* control = tree.get(); // `tree` may be let go of by a handler
        QObject::connect(control, &DirTree::Click, control, [this, control] { clicks << control->path(); });
    }

    // The node with the given full path ('System (C:)\Windows').
    QTreeWidgetItem* find(const QString& fullPath) const
    {
        QTreeWidgetItem* node = findNode(*tree, fullPath);
        if (!node)
            ADD_FAILURE() << "no node " << fullPath.toStdString();
        return node;
    }

    // A click on a node, as the tree view reports it; the node need not be on view.
    void click(QTreeWidgetItem* node) { Q_EMIT tree->tree()->itemClicked(node, 0); }

    // A click of the user's mouse on a node that is on view.
    void mouseClick(QTreeWidgetItem* node)
    {
        tree->show();
        const QRect rect = tree->tree()->visualItemRect(node);
        ASSERT_FALSE(rect.isEmpty());
        QTest::mouseClick(tree->tree()->viewport(), Qt::LeftButton, {}, rect.center());
    }

    FakeDriveSystem* fs = nullptr;
    std::unique_ptr<DirTree> tree;
    QStringList clicks;
};
