// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "filelistaccessible.h"

#include "filelistview.h"

#include <QAccessible>
#include <QItemSelectionModel>
#include <QPointer>

using namespace Qt::StringLiterals;

namespace {

// One entry of the list, as assistive technology sees it: a list item named by the file
// as shown, whose press action picks it (FileListView::pickRow). The action has no key
// binding: the keyboard picks by moving through the list, as before.
class FileItemAccessible : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    FileItemAccessible(FileListView* view, int row) : m_view(view), m_row(row) { }

    bool isValid() const override { return m_view && m_view->model() && m_row < m_view->model()->rowCount(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_view ? m_view->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override
    {
        return m_view ? QAccessible::queryAccessibleInterface(m_view.data()) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }

    QString text(QAccessible::Text t) const override
    {
        if (!isValid())
            return {};
        switch (t) {
        case QAccessible::Name: return index().data(Qt::DisplayRole).toString();
        default:
            // What picking does is the list's description, said once on entering it, not
            // after every file.
            return {};
        }
    }
    void setText(QAccessible::Text, const QString&) override { }

    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect r = m_view->visualRect(index());
        return QRect(m_view->viewport()->mapToGlobal(r.topLeft()), r.size());
    }

    QAccessible::Role role() const override { return QAccessible::ListItem; }

    QAccessible::State state() const override
    {
        QAccessible::State st;
        if (!isValid())
            return st;
        st.selectable = true;
        st.focusable = true;
        st.selected = m_view->selectionModel()->isSelected(index());
        st.focused = m_view->hasFocus() && m_view->currentIndex() == index();
        st.invisible
            = !m_view->isVisible() || !m_view->viewport()->rect().intersects(m_view->visualRect(index()));
        st.offscreen = st.invisible;
        return st;
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& actionName) override
    {
        if (actionName == pressAction() && isValid())
            m_view->pickRow(m_row);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QModelIndex index() const { return m_view->model()->index(m_row, 0, m_view->rootIndex()); }

    QPointer<FileListView> m_view;
    int m_row;
};

} // namespace

FileListAccessible::FileListAccessible(FileListView* view) : QAccessibleWidget(view, QAccessible::List) { }

FileListAccessible::~FileListAccessible()
{
    for (QAccessibleInterface* item : m_items) {
        if (item)
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(item));
    }
}

FileListView* FileListAccessible::view() const { return static_cast<FileListView*>(widget()); }

int FileListAccessible::childCount() const
{
    const QAbstractItemModel* model = view()->model();
    return model ? model->rowCount(view()->rootIndex()) : 0;
}

QAccessibleInterface* FileListAccessible::child(int index) const
{
    if (index < 0 || index >= childCount())
        return nullptr;
    if (static_cast<size_t>(index) >= m_items.size())
        m_items.resize(index + 1, nullptr);
    if (!m_items[index]) {
        m_items[index] = new FileItemAccessible(view(), index);
        QAccessible::registerAccessibleInterface(m_items[index]);
    }
    return m_items[index];
}

int FileListAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    for (size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i] == child)
            return static_cast<int>(i);
    }
    return -1;
}

QAccessibleInterface* FileListAccessible::childAt(int x, int y) const
{
    const QModelIndex index = view()->indexAt(view()->viewport()->mapFromGlobal(QPoint(x, y)));
    return index.isValid() ? child(index.row()) : nullptr;
}

QAccessibleInterface* FileListAccessible::focusChild() const
{
    const QModelIndex current = view()->currentIndex();
    return view()->hasFocus() && current.isValid() ? child(current.row()) : nullptr;
}
