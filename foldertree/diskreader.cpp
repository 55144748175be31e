// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "diskreader.h"

#include "DirTree/drivesystem.h"
#include "scratchlist.h"

#include <QMetaObject>
#include <QThread>

#include <condition_variable>
#include <mutex>
#include <vector>

namespace Cantorel {

using Clock = std::chrono::steady_clock;

// One lane's reads, under Shared::mutex.
struct DiskReader::Lane {
    std::condition_variable wake; // a read was queued, or the reader stopped
    std::deque<std::pair<quint64, Work>> queue;
    quint64 running = 0; // the read in progress, 0 for none
    Clock::time_point runningSince;
    quint64 doneUpTo = 0; // reads run in order: every read of the lane up to this one has run
};

// What the control's thread and the lanes' threads share, under `mutex`. Each lane's
// thread holds it for as long as it runs, so a read that hangs past the control's end
// still finds its layer; the last thread to end frees the layer.
struct DiskReader::Shared {
    std::mutex mutex;
    std::condition_variable changed; // a read has come back
    std::unique_ptr<DriveSystem> drives;
    std::map<int, Lane> lanes; // never erased: a thread holds its lane by reference
    int threads = 0;           // lanes' threads not ended yet
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
}

DiskReader::~DiskReader()
{
    *m_life = false;
    std::vector<QThread*> idle;
    std::unique_ptr<DriveSystem> unused;
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->stopped = true;
        m_shared->receiver = nullptr;
        for (auto& [key, lane] : m_shared->lanes) {
            lane.wake.notify_all();
            if (lane.running == 0 && m_threads[key])
                idle.push_back(m_threads[key].data());
        }
        // No lane was ever used: the layer goes here.
        if (m_shared->threads == 0)
            unused = std::move(m_shared->drives);
    }
    // An idle thread ends at once; one in a read that hangs is left to end on its own.
    for (QThread* thread : idle) {
        QObject::disconnect(thread, nullptr, thread, nullptr);
        thread->wait();
        delete thread;
    }
}

quint64 DiskReader::post(int lane, Work work, Done done)
{
    const quint64 id = ++m_next;
    m_pending[lane].push_back({id, std::move(done)});
    m_laneOf.emplace(id, lane);
    bool fresh = false;
    {
        std::lock_guard lock(m_shared->mutex);
        const auto [found, added] = m_shared->lanes.try_emplace(lane);
        fresh = added;
        if (fresh)
            ++m_shared->threads;
        found->second.queue.emplace_back(id, std::move(work));
        found->second.wake.notify_all();
    }
    if (!fresh)
        return id;
    const std::shared_ptr<Shared> shared = m_shared;
    QThread* thread = QThread::create([shared, lane] {
        ScratchList list;
        std::unique_lock lock(shared->mutex);
        Lane& mine = shared->lanes.at(lane);
        for (;;) {
            mine.wake.wait(lock, [&] { return shared->stopped || !mine.queue.empty(); });
            if (shared->stopped)
                break;
            auto [running, work] = std::move(mine.queue.front());
            mine.queue.pop_front();
            mine.running = running;
            mine.runningSince = Clock::now();
            lock.unlock();
            work(*shared->drives, list);
            list.clear();
            work = nullptr;
            lock.lock();
            mine.running = 0;
            mine.doneUpTo = running;
            shared->changed.notify_all();
            if (shared->receiver && !shared->deliveryPosted) {
                shared->deliveryPosted = true;
                QMetaObject::invokeMethod(shared->receiver, shared->deliver, Qt::QueuedConnection);
            }
        }
        mine.queue.clear();
        // The layer is freed on the last thread that used it.
        std::unique_ptr<DriveSystem> last;
        if (--shared->threads == 0)
            last = std::move(shared->drives);
        lock.unlock();
    });
    thread->setObjectName(QStringLiteral("DirTree disk reader"));
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
    m_threads[lane] = thread;
    return id;
}

bool DiskReader::finish(quint64 id, std::chrono::milliseconds budget)
{
    const auto found = m_laneOf.find(id);
    // Handed over already.
    if (found == m_laneOf.end())
        return true;
    const int lane = found->second;
    {
        std::unique_lock lock(m_shared->mutex);
        Shared& s = *m_shared;
        const Lane& l = s.lanes.at(lane);
        if (budget.count() < 0) {
            s.changed.wait(lock, [&] { return l.doneUpTo >= id; });
        } else {
            while (l.doneUpTo < id) {
                // Every read of the lane before `id` is one its thread must get through
                // first: the budget runs from the start of the read in progress.
                const Clock::time_point until = (l.running ? l.runningSince : Clock::now()) + budget;
                if (Clock::now() >= until)
                    break;
                s.changed.wait_until(lock, until);
            }
        }
        if (l.doneUpTo < id)
            return false;
    }
    // The lane's reads before it are handed over first: a drive's answers are always
    // applied in the order they were asked for.
    handOver(lane, id, id);
    return true;
}

void DiskReader::deliver()
{
    std::map<int, quint64> back;
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->deliveryPosted = false;
        for (const auto& [key, lane] : m_shared->lanes)
            back[key] = lane.doneUpTo;
    }
    // Every one of these is late: no caller waits for it. Across lanes, the one asked for
    // first goes first.
    const std::weak_ptr<bool> life = m_life;
    for (;;) {
        int lane = 0;
        quint64 first = 0;
        for (const auto& [key, pending] : m_pending) {
            if (!pending.empty() && pending.front().id <= back[key]
                && (!first || pending.front().id < first)) {
                lane = key;
                first = pending.front().id;
            }
        }
        if (!first)
            return;
        handOver(lane, first, 0);
        // A done may end the control, and this reader with it.
        if (life.expired())
            return;
    }
}

void DiskReader::handOver(int lane, quint64 upTo, quint64 waited)
{
    const std::weak_ptr<bool> life = m_life;
    for (;;) {
        // Looked up afresh each time: a done may post, or hand over, reads.
        const auto found = m_pending.find(lane);
        if (found == m_pending.end() || found->second.empty() || found->second.front().id > upTo)
            return;
        Pending next = std::move(found->second.front());
        found->second.pop_front();
        m_laneOf.erase(next.id);
        if (next.done)
            next.done(next.id != waited);
        // A done may end the control, and this reader with it.
        if (life.expired())
            return;
    }
}

} // namespace Cantorel
