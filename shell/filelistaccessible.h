// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QAccessibleWidget>

#include <vector>

class FileListView;
class QAccessibleInterface;

// The file list as assistive technology sees it: its children are the entries, one per
// row, in the model's order (the rows the view reports in its focus and selection events).
// Each entry is a list item named by the file as shown, whose press action picks it the way
// a click does (FileListView::pickRow). The action has no key binding: the keyboard picks by
// moving through the list, as before.
class FileListAccessible : public QAccessibleWidget
{
public:
    explicit FileListAccessible(FileListView* view);
    ~FileListAccessible() override;

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

private:
    FileListView* view() const;

    // The entries asked for so far, made on first use and kept for the list's life.
    mutable std::vector<QAccessibleInterface*> m_items;
};
