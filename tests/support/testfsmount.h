// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include "scratchfolder.h"

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>

// The test file system (cantorel_testfs, tests/support/testfs.cpp) mounted over a backing
// folder, both in a scratch folder of its own, and driven through the program's standard
// input and output. Every line the file system prints is kept until a wait takes it, so a
// line that comes early is not lost. A wait that gets no answer for a minute is a hang of the
// program under test: it returns empty, never serves as a way of synchronising.
class TestFsMount
{
public:
    TestFsMount();
    // Ends the file system's input: it lets everything held go, unmounts and exits.
    ~TestFsMount();
    TestFsMount(const TestFsMount&) = delete;
    TestFsMount& operator=(const TestFsMount&) = delete;

    // Mounts; false, with the reason, where the machine refuses. Copies of old content that
    // the saves made meanwhile keep (XDG_STATE_HOME) go to the scratch folder too.
    bool mount();
    QString skipReason() const { return m_skipReason; }

    QString backing(const QString& rel = {}) const;
    QString mounted(const QString& rel = {}) const;
    // Beside the backing folder and the mount, outside both.
    QString outside(const QString& rel) const;

    // Sends a command and fails the test unless it is taken; returns the lines the file
    // system printed before its "ok" (a wait may still take them).
    QList<QByteArray> command(const QByteArray& line);
    // Takes the first line starting with `start`, waiting for it; empty when none came.
    QByteArray waitFor(const QByteArray& start);
    // Whether a line starting with `start` has come by now, without waiting or taking it.
    bool hasSaid(const QByteArray& start);

private:
    qsizetype indexOf(const QByteArray& start, bool whole) const;
    QByteArray take(const QByteArray& start, bool whole);
    bool readAvailable(int waitMs);

    ScratchFolder m_dir; // removed whatever the bytes of the names the saves left in it
    QProcess m_daemon;
    QList<QByteArray> m_lines; // printed and not yet taken
    QString m_skipReason;
};
