// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "diskreader.h"

#include "DirTree/drivesystem.h"
#include "scratchlist.h"

#include <QMetaObject>
#include <QThread>

#include <condition_variable>
#include <deque>
#include <mutex>

namespace Cantorel {

using Clock = std::chrono::steady_clock;

// What the control's thread and the reader's thread share, under `mutex`. The reader's
// thread holds it for as long as it runs, so a read that hangs past the control's end
// still finds its layer.
struct DiskReader::Shared {
    std::mutex mutex;
    std::condition_variable changed;
    std::unique_ptr<DriveSystem> drives;
    std::deque<std::pair<quint64, Work>> queue;
    quint64 running = 0; // the read in progress, 0 for none
    Clock::time_point runningSince;
    quint64 doneUpTo = 0; // reads run in order: every read up to this one has run
    bool stopped = false;
    bool deliveryPosted = false;
    QObject* receiver = nullptr; // reset under `mutex` before it is freed
    std::function<void()> deliver;
};

DiskReader::DiskReader(std::unique_ptr<DriveSystem> drives)
    : m_shared(std::make_shared<Shared>()), m_receiver(std::make_unique<QObject>())
{
    m_shared->drives = std::move(drives);
    m_shared->receiver = m_receiver.get();
    m_shared->deliver = [this] { deliver(); };
    const std::shared_ptr<Shared> shared = m_shared;
    QThread* thread = QThread::create([shared] {
        ScratchList list;
        std::unique_lock lock(shared->mutex);
        for (;;) {
            shared->changed.wait(lock, [&] { return shared->stopped || !shared->queue.empty(); });
            if (shared->stopped)
                break;
            auto [id, work] = std::move(shared->queue.front());
            shared->queue.pop_front();
            shared->running = id;
            shared->runningSince = Clock::now();
            lock.unlock();
            work(*shared->drives, list);
            list.clear();
            work = nullptr;
            lock.lock();
            shared->running = 0;
            shared->doneUpTo = id;
            shared->changed.notify_all();
            if (shared->receiver && !shared->deliveryPosted) {
                shared->deliveryPosted = true;
                QMetaObject::invokeMethod(shared->receiver, shared->deliver, Qt::QueuedConnection);
            }
        }
        shared->queue.clear();
        // The layer is freed on the thread that used it.
        shared->drives.reset();
    });
    thread->setObjectName(QStringLiteral("DirTree disk reader"));
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
    m_thread = thread;
}

DiskReader::~DiskReader()
{
    *m_life = false;
    bool busy = false;
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->stopped = true;
        m_shared->receiver = nullptr;
        busy = m_shared->running != 0;
        m_shared->changed.notify_all();
    }
    // An idle thread ends at once; one in a read that hangs is left to end on its own.
    if (!busy && m_thread) {
        QObject::disconnect(m_thread, nullptr, m_thread, nullptr);
        m_thread->wait();
        delete m_thread.data();
    }
}

quint64 DiskReader::post(Work work, Done done)
{
    const quint64 id = ++m_next;
    m_done.emplace(id, std::move(done));
    std::lock_guard lock(m_shared->mutex);
    m_shared->queue.emplace_back(id, std::move(work));
    m_shared->changed.notify_all();
    return id;
}

bool DiskReader::finish(quint64 id, std::chrono::milliseconds budget)
{
    {
        std::unique_lock lock(m_shared->mutex);
        Shared& s = *m_shared;
        if (budget.count() < 0) {
            s.changed.wait(lock, [&] { return s.doneUpTo >= id; });
        } else {
            while (s.doneUpTo < id) {
                // Every read before `id` is one the thread must get through first: the
                // budget runs from the start of the read in progress.
                const Clock::time_point until = (s.running ? s.runningSince : Clock::now()) + budget;
                if (Clock::now() >= until)
                    break;
                s.changed.wait_until(lock, until);
            }
        }
        if (s.doneUpTo < id)
            return false;
    }
    // The reads before it that have come back are handed over first: answers are always
    // applied in the order they were asked for.
    handOver(id, id);
    return true;
}

void DiskReader::deliver()
{
    quint64 upTo = 0;
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->deliveryPosted = false;
        upTo = m_shared->doneUpTo;
    }
    // Every one of these is late: no caller waits for it.
    handOver(upTo, 0);
}

void DiskReader::handOver(quint64 upTo, quint64 waited)
{
    const std::weak_ptr<bool> life = m_life;
    while (!m_done.empty() && m_done.begin()->first <= upTo) {
        const auto [id, done] = std::move(*m_done.begin());
        m_done.erase(m_done.begin());
        if (done)
            done(id != waited);
        // A done may end the control, and this reader with it.
        if (life.expired())
            return;
    }
}

} // namespace Cantorel
