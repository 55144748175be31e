// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QObject>
#include <QPointer>
#include <QThread>

#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <memory>

namespace Cantorel {

class DriveSystem;
class ScratchList;

// The threads on which a DirTree asks its drive layer anything: listings, attributes,
// labels, drive types and the mount table. Reads go in lanes: one for the drive table and
// one per drive. The reads of a lane run one after another, in the order they were
// posted, on a thread of the lane's own, made with its first read; a read that does not
// come back holds the reads behind it in its lane, never another lane's, and never the
// thread of the control.
//
// Each read has a `work`, run on its lane's thread with the layer and a scratch list of
// the lane's own, and a `done`, run on the control's thread once the work has run:
// either by finish(), which waits a short while for a read the control would rather show
// at once, or from the control's event loop, for a read that came back later. The dones
// of a lane run in the order its reads were posted. A done runs once, or never when the
// reader is gone by then.
class DiskReader
{
public:
    using Work = std::function<void(const DriveSystem&, ScratchList&)>;
    // `late`: false when it is the read finish() waits for, true otherwise (from the event
    // loop, or an earlier read of its lane handed over before the one waited for). A late
    // done must not call the host: it may run amid a handling.
    using Done = std::function<void(bool late)>;

    explicit DiskReader(std::unique_ptr<DriveSystem> drives);
    // Never waits for a read in progress: a lane's thread ends after it, the last one
    // frees the layer then, and nothing they read reaches the control.
    ~DiskReader();
    DiskReader(const DiskReader&) = delete;
    DiskReader& operator=(const DiskReader&) = delete;

    // Queues a read in `lane`; its number for finish().
    quint64 post(int lane, Work work, Done done);

    // Waits for the read `id` while the reads before it in its lane and itself come back
    // in time: no longer than `budget` past the start of the lane's read in progress, so a
    // read that hangs holds the control's thread for at most `budget`, and every wait in
    // its lane after it, while it still hangs, returns at once. Runs the read's done here
    // when it has come back, and returns whether it did; otherwise the done runs later,
    // from the event loop. Dones of the lane's earlier reads run first, so a drive's
    // answers are applied in the order they were asked for. A negative budget waits as
    // long as the read takes.
    bool finish(quint64 id, std::chrono::milliseconds budget);

    // Whether every read posted has come back and has been handed over.
    bool idle() const { return m_laneOf.empty(); }

private:
    struct Lane;
    struct Shared;
    struct Pending {
        quint64 id = 0;
        Done done;
    };
    void deliver();
    // Runs the dones of the reads of `lane` up to `upTo`, which have come back, in order:
    // late but for the one `waited` for (0: none).
    void handOver(int lane, quint64 upTo, quint64 waited);

    std::shared_ptr<Shared> m_shared;
    std::map<int, std::deque<Pending>> m_pending; // reads not handed over yet, by lane
    std::map<quint64, int> m_laneOf;              // the lane of each of them, by number
    quint64 m_next = 0;
    std::unique_ptr<QObject> m_receiver; // where the lanes' threads post "reads came back"
    std::shared_ptr<bool> m_life = std::make_shared<bool>(true);
    std::map<int, QPointer<QThread>> m_threads;
};

} // namespace Cantorel
