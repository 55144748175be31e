// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QObject>
#include <QPointer>
#include <QThread>

#include <chrono>
#include <functional>
#include <map>
#include <memory>

namespace Cantorel {

class DriveSystem;
class ScratchList;

// The one thread on which a DirTree asks its drive layer anything: listings, attributes,
// labels, drive types and the mount table. Reads run one after another, in the order
// they were posted, so an implementation of the layer is never called from two threads
// at once; the thread holding a read that does not come back holds the reads behind it,
// never the thread of the control.
//
// Each read has a `work`, run on the reader's thread with the layer and a scratch list
// of its own, and a `done`, run on the control's thread once the work has run: either by
// finish(), which waits a short while for a read the control would rather show at once,
// or from the control's event loop, for a read that came back later. A done runs once,
// or never when the reader is gone by then.
class DiskReader
{
public:
    using Work = std::function<void(const DriveSystem&, ScratchList&)>;
    // `late`: false when it is the read finish() waits for, true otherwise (from the event
    // loop, or an earlier read handed over before the one waited for). A late done must
    // not call the host: it may run amid a handling.
    using Done = std::function<void(bool late)>;

    explicit DiskReader(std::unique_ptr<DriveSystem> drives);
    // Never waits for a read in progress: the thread ends after it and frees the layer
    // then, and nothing it read reaches the control.
    ~DiskReader();
    DiskReader(const DiskReader&) = delete;
    DiskReader& operator=(const DiskReader&) = delete;

    // Queues a read; its number for finish().
    quint64 post(Work work, Done done);

    // Waits for the read `id` while the reads before it and itself come back in time:
    // no longer than `budget` past the start of the read in progress, so a read that
    // hangs holds the control's thread for at most `budget`, and every wait after it,
    // while it still hangs, returns at once. Runs the read's done here when it has come
    // back, and returns whether it did; otherwise the done runs later, from the event
    // loop. Dones of earlier reads that have come back run first, so answers are applied
    // in the order they were asked for. A negative budget waits as long as the read takes.
    bool finish(quint64 id, std::chrono::milliseconds budget);

    // Whether every read posted has come back and has been handed over.
    bool idle() const { return m_done.empty(); }

private:
    struct Shared;
    void deliver();
    // Runs the dones of the reads up to `upTo`, which have come back, in order: late but
    // for the one `waited` for (0: none).
    void handOver(quint64 upTo, quint64 waited);

    std::shared_ptr<Shared> m_shared;
    std::map<quint64, Done> m_done; // reads not handed over yet, by number
    quint64 m_next = 0;
    std::unique_ptr<QObject> m_receiver; // where the reader's thread posts "reads came back"
    std::shared_ptr<bool> m_life = std::make_shared<bool>(true);
    QPointer<QThread> m_thread;
};

} // namespace Cantorel
