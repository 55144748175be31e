// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// DirTree's keys and mouse: what the view raises is run once the view has returned from
// its event, and keys reach the control before the view.
#include "DirTree/dirtree.h"

#include "dirtreeprivate.h"
#include "dirtreeview.h"

#include <QKeyEvent>
#include <QPointer>

namespace Cantorel {

namespace {

// The key code of the refresh key (F5) as the tree's key events number keys.
constexpr int kRefreshKeyCode = 116;

// Keys that report the current node as a click does.
bool isReportKey(int qtKey) { return qtKey == Qt::Key_Return || qtKey == Qt::Key_Enter; }

// Key events number keys as the desktop's virtual key codes do: letters and digits by
// their characters, F1 as 112 onward.
int keyCodeOf(int qtKey)
{
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return qtKey;
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return 112 + (qtKey - Qt::Key_F1);
    return 0;
}

} // namespace

// Runs a handling the view raised. While the view is busy with an event its code still
// holds indexes of the nodes it was working on, and a host that refreshes the tree from
// Click would pull them from under it; such handlings wait until the view has returned,
// and those raised between two batches of an expansion wait for its end.
bool DirTreePrivate::handle(Handling handling, QTreeWidgetItem* item)
{
    const DirTreeView::Busy busy(m_tree);
    if (!isNode(item))
        return true;
    // The nodes setCurrentPath opens on its way raise nothing: it reports one Click.
    if (handling == Handling::Expand && m_opening)
        return true;
    // An expansion being filled in is '*''s own when '*' opened the node.
    if (handling == Handling::Expand && m_starExpanding)
        return Expand(item);
    if (m_tree->inEvent() || fillingIn()) {
        m_pending.push_back({handling, refOf(item), fillingIn()});
        return true;
    }
    return handling == Handling::Click ? NodeClick(item) : Expand(item);
}

bool DirTreePrivate::runPending()
{
    // Between two batches the handlings wait for the expansion's end.
    while (!m_pending.empty() && !fillingIn()) {
        const Pending pending = m_pending.front();
        m_pending.pop_front();
        QTreeWidgetItem* item = resolve(pending.ref);
        if (!item)
            continue;
        if (pending.handling == Handling::Click && pending.makeCurrent && m_tree->currentItem() != item) {
            // The expansion's end made its node current after the user moved on.
            const QPointer<DirTree> alive(q);
            m_tree->setCurrentItem(item);
            if (!alive)
                return false;
        }
        if (!handle(pending.handling, item))
            return false;
    }
    return true;
}

void DirTreePrivate::KeyDown(int keyCode, Qt::KeyboardModifiers shift)
{
    Q_UNUSED(shift);
    if (keyCode == kRefreshKeyCode) {
        removeAllNodes();
        ListDrives();
    }
}

// Keys reach the control before the view: what the control does here runs while no code
// of the view is on the stack. Returns whether the view is to be spared the key.
bool DirTreePrivate::filterKey(QEvent* event)
{
    const DirTreeView::Busy busy(m_tree);
    const auto* key = static_cast<QKeyEvent*>(event);
    KeyDown(keyCodeOf(key->key()), key->modifiers());
    QTreeWidgetItem* current = m_tree->currentItem();
    switch (key->key()) {
    case Qt::Key_Escape:
        // Stops '*' at its next batch.
        if (m_star) {
            m_stopStar = true;
            return true;
        }
        break;
    case Qt::Key_Asterisk:
        // The view's own '*' expands every descendant, and each expansion lists one level
        // more for it to expand: it would walk the whole drive.
        if (isNode(current))
            (void)expandListed(current);
        return true;
    case Qt::Key_Space:
        // The view would search for a name starting with a blank (' (D:)', a drive
        // without a label) and move there.
        return true;
    default: break;
    }
    // A handler that deleted the control took the view with it.
    if (isReportKey(key->key()) && !handle(Handling::Click, current))
        return true;
    return false;
}

// The tree is what takes the focus and what assistive tools read: the accessible name
// and description the host gives the control are the tree's, taken over whenever the
// tree is polished, shown or focused.
void DirTreePrivate::shareAccessibleText()
{
    if (m_tree->accessibleName() != q->accessibleName())
        m_tree->setAccessibleName(q->accessibleName());
    if (m_tree->accessibleDescription() != q->accessibleDescription())
        m_tree->setAccessibleDescription(q->accessibleDescription());
}

bool DirTree::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != d->m_tree)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Polish:
    case QEvent::Show:
    case QEvent::FocusIn: d->shareAccessibleText(); break;
    case QEvent::KeyPress: return d->filterKey(event);
    default: break;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace Cantorel
