// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "filelistview.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFocusEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>

#include <vector>

using namespace Qt::StringLiterals;

namespace {

// One entry of the list, as assistive technology sees it: a list item named by the file
// as shown, whose press action picks it (FileListView::pickRow). The action has no key
// binding: the keyboard picks by moving through the list, as before.
class FileItemAccessible : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    FileItemAccessible(FileListView* view, int row)
        : m_view(view)
        , m_row(row)
    {
    }

    bool isValid() const override
    {
        return m_view && m_view->model() && m_row < m_view->model()->rowCount();
    }
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
        case QAccessible::Name:
            return index().data(Qt::DisplayRole).toString();
        case QAccessible::Description:
            return u"Picking it adds the file to the playlist"_s;
        default:
            return {};
        }
    }
    void setText(QAccessible::Text, const QString&) override {}

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
        st.invisible = !m_view->isVisible()
                       || !m_view->viewport()->rect().intersects(m_view->visualRect(index()));
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

// The list as assistive technology sees it: its children are the entries, one per row, in
// the model's order (the rows the view reports in its focus and selection events).
class FileListAccessible : public QAccessibleWidget
{
public:
    explicit FileListAccessible(FileListView* view)
        : QAccessibleWidget(view, QAccessible::List)
    {
    }

    ~FileListAccessible() override
    {
        for (FileItemAccessible* item : m_items) {
            if (item)
                QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(item));
        }
    }

    int childCount() const override
    {
        const QAbstractItemModel* model = view()->model();
        return model ? model->rowCount(view()->rootIndex()) : 0;
    }

    QAccessibleInterface* child(int index) const override
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

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        for (size_t i = 0; i < m_items.size(); ++i) {
            if (m_items[i] == child)
                return static_cast<int>(i);
        }
        return -1;
    }

    QAccessibleInterface* childAt(int x, int y) const override
    {
        const QModelIndex index = view()->indexAt(view()->viewport()->mapFromGlobal(QPoint(x, y)));
        return index.isValid() ? child(index.row()) : nullptr;
    }

    QAccessibleInterface* focusChild() const override
    {
        const QModelIndex current = view()->currentIndex();
        return view()->hasFocus() && current.isValid() ? child(current.row()) : nullptr;
    }

private:
    FileListView* view() const { return static_cast<FileListView*>(widget()); }

    mutable std::vector<FileItemAccessible*> m_items;
};

QAccessibleInterface* fileListAccessible(const QString& className, QObject* object)
{
    if (className == u"FileListView"_s && object && object->isWidgetType())
        return new FileListAccessible(static_cast<FileListView*>(object));
    return nullptr;
}

} // namespace

FileListView::FileListView(QWidget* parent)
    : QListView(parent)
{
    static const bool accessibleInstalled = [] {
        QAccessible::installFactory(fileListAccessible);
        return true;
    }();
    Q_UNUSED(accessibleInstalled);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true); // keeps a list of many thousands of files quick to lay out
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTextElideMode(Qt::ElideRight);
    setDragEnabled(false);
}

void FileListView::mousePressEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() != Qt::LeftButton || !index.isValid()) {
        // Other buttons and the empty space below the last file change nothing.
        setFocus(Qt::MouseFocusReason);
        event->accept();
        return;
    }
    QListView::mousePressEvent(event);
    Q_EMIT picked(index);
}

void FileListView::pickRow(int row)
{
    const QModelIndex index = model() ? model()->index(row, 0, rootIndex()) : QModelIndex();
    if (!index.isValid())
        return;
    setCurrentIndex(index);
    scrollTo(index);
    Q_EMIT picked(index);
}

void FileListView::mouseMoveEvent(QMouseEvent* event)
{
    // Dragging with a button held would move the selection without a click.
    if (event->buttons() != Qt::NoButton) {
        event->accept();
        return;
    }
    QListView::mouseMoveEvent(event);
}

void FileListView::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click on the same file is not a pick of its own; on
    // another file (the first press scrolled the list, say) it is an ordinary press.
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && index.isValid() && index != currentIndex()) {
        QMouseEvent press(QEvent::MouseButtonPress, event->position(), event->scenePosition(),
                          event->globalPosition(), event->button(), event->buttons(),
                          event->modifiers(), event->pointingDevice());
        mousePressEvent(&press);
        return;
    }
    event->accept();
}

void FileListView::keyPressEvent(QKeyEvent* event)
{
    const QPersistentModelIndex before = currentIndex();
    QListView::keyPressEvent(event);
    const QModelIndex after = currentIndex();
    if (after.isValid() && after != before)
        Q_EMIT picked(after);
}

void FileListView::focusInEvent(QFocusEvent* event)
{
    const bool hadCurrent = currentIndex().isValid();
    QListView::focusInEvent(event);
    // Qt makes the first entry current when an untouched list gets the focus; the first
    // arrow key would then skip it. With no current entry the first key picks the first file.
    if (!hadCurrent && currentIndex().isValid())
        selectionModel()->clearCurrentIndex();
}

QItemSelectionModel::SelectionFlags FileListView::selectionCommand(const QModelIndex& index,
                                                                   const QEvent*) const
{
    // Whatever becomes current is selected, with or without Ctrl held: the highlighted file
    // is always the one picked last.
    return index.isValid() ? QItemSelectionModel::ClearAndSelect : QItemSelectionModel::NoUpdate;
}
