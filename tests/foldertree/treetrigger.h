// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

// The ways a user or a host makes DirTree raise Click on a drive node, shared by the
// tests of what Click reports and of hosts that run event loops inside Click.
#include <QPointer>
#include <QTest>
#include <QTreeWidget>

enum class Trigger {
    LeftClick,     // on the node
    ExpandMark,    // a click on the node's expand mark
    DoubleClick,   // on the node: a click, then the expansion
    KeyDown,       // from the node above onto it
    Return,        // on the node
    Right,         // on the node, collapsed
    Plus,          // on the node, collapsed
    StarCollapsed, // on the node, collapsed, its children listed with theirs
    StarExpanded,  // on the node, open
    SetExpanded,   // the host's item->setExpanded(true)
    ExpandItem,    // the host's tree()->expandItem(item)
};

// Runs `trigger` on `drive` as the user (or the host) does it; stops as soon as `control`
// is gone, as further events would go to a deleted widget.
inline void fireTrigger(Trigger trigger, QTreeWidget* view, QTreeWidgetItem* drive, const QObject* control)
{
    const QPointer<const QObject> alive(control);
    QWidget* viewport = view->viewport();
    const QRect rect = view->visualItemRect(drive);
    const QPoint mark(rect.left() - view->indentation() / 2, rect.center().y());
    // The style may open a node on the press already.
    const auto click = [&](QPoint at) {
        QTest::mousePress(viewport, Qt::LeftButton, {}, at);
        if (alive)
            QTest::mouseRelease(viewport, Qt::LeftButton, {}, at);
    };
    const auto key = [&](Qt::Key k, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyPress(view, k, modifiers);
        if (alive)
            QTest::keyRelease(view, k, modifiers);
    };
    switch (trigger) {
    case Trigger::LeftClick: click(rect.center()); break;
    case Trigger::ExpandMark: click(mark); break;
    case Trigger::DoubleClick:
        click(rect.center());
        if (alive)
            QTest::mouseDClick(viewport, Qt::LeftButton, {}, rect.center());
        if (alive)
            QTest::mouseRelease(viewport, Qt::LeftButton, {}, rect.center());
        break;
    case Trigger::KeyDown: key(Qt::Key_Down); break;
    case Trigger::Return: key(Qt::Key_Return); break;
    case Trigger::Right: key(Qt::Key_Right); break;
    case Trigger::Plus: key(Qt::Key_Plus); break;
    case Trigger::StarCollapsed:
    case Trigger::StarExpanded: key(Qt::Key_Asterisk, Qt::KeypadModifier); break;
    case Trigger::SetExpanded: drive->setExpanded(true); break;
    case Trigger::ExpandItem: view->expandItem(drive); break;
    }
}
