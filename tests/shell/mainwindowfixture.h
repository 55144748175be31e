// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include "filelistmodel.h"
#include "filelistview.h"
#include "frmmain.h"
#include "playlistbuilder.h"
#include "scratchfolder.h"

#include <QApplication>
#include <QDir>
#include <QPlainTextEdit>
#include <QFile>
#include <QStringList>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

// The folder is read by a worker: true once the window's list holds it.
inline bool waitForList(const frmmain& shown)
{
    const auto* files = static_cast<const FileListModel*>(shown.File1()->model());
    return QTest::qWaitFor([files] { return !files->isReading(); });
}

// A main window created in a temporary folder of media files, shown and active, with the
// builder's messages recorded instead of shown.
class MainWindowFixture : public ::testing::Test
{
protected:
    struct Message {
        PlaylistBuilder::SaveOutcome outcome;
        QString text;
    };

    // The folder's files, made before the window; natural order puts them a, b, c, d.
    virtual QStringList files() const
    {
        return {QStringLiteral("c.wav"), QStringLiteral("a.mp3"), QStringLiteral("d.WMA"),
            QStringLiteral("b.mp3"), QStringLiteral("notes.txt")};
    }

    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        for (const QString& name : files()) {
            QFile file(folder.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << name.toStdString();
        }
        previous = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(folder.path()));
        window = std::make_unique<frmmain>();
        window->builder().setMessenger([this](PlaylistBuilder::SaveOutcome outcome, const QString& text) {
            messages.push_back({outcome, text});
        });
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        ASSERT_TRUE(waitForList(*window));
    }

    void TearDown() override
    {
        window.reset();
        QDir::setCurrent(previous);
    }

    // A click as the window system delivers it: to whichever control lies at `pos`.
    void clickAt(QPoint pos, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(window->windowHandle(), button, Qt::NoModifier, pos);
    }

    // A key press sent to the control that has the focus, as the keyboard would.
    void key(Qt::Key k)
    {
        QWidget* target = QApplication::focusWidget();
        ASSERT_NE(target, nullptr);
        QTest::keyClick(target, k);
    }

    // Text1's text with its lines joined by LF, as the box holds it.
    QString text1() const { return window->Text1()->toPlainText(); }

    // The centre of File1's row, in the window's coordinates.
    QPoint rowCentre(int row) const
    {
        const QModelIndex index = window->File1()->model()->index(row, 0);
        const QPoint inView = window->File1()->visualRect(index).center();
        return window->File1()->viewport()->mapTo(window.get(), inView);
    }

    ScratchFolder folder;
    QString previous;
    std::unique_ptr<frmmain> window;
    std::vector<Message> messages;
};
