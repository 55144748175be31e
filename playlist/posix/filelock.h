// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include "saveio.h"

#include <QByteArray>

#include <chrono>

// One writer at a time: the existing file a save writes over is opened and locked against
// other programs, each step retried until one common deadline.
class FileLock
{
public:
    // What held the file when the wait ran out.
    enum class Holder { None, Writer, Reader, User };

    explicit FileLock(int waitMs);

    // Opens `name` in `dir` for reading and writing without following a link. A program
    // holding a lease on the file is asked to let go (the open itself asks), and the open is
    // retried until the deadline. Returns 0 or an errno; EAGAIN with holder() User when the
    // lease was kept.
    int open(int dir, const QByteArray& name, SaveIo::Fd& file);

    // Takes the write lock of the open file description `fd` (an OFD lock) and its flock(),
    // which other programs take instead. Returns 0, EAGAIN when another holder kept one all
    // along (see holder()), or another errno. A file system that cannot lock lets the save
    // go on unlocked.
    int lock(int fd);

    Holder holder() const { return m_holder; }
    int waitMs() const { return m_waitMs; }

private:
    bool pause();

    using Clock = std::chrono::steady_clock;
    int m_waitMs;
    Clock::time_point m_deadline;
    long m_pauseMs = 1;
    Holder m_holder = Holder::None;
};
