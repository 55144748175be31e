// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// One start of the program as a user makes it, for bench_filelist: the splash shown in the
// folder given as the argument, then clicked; prints the time from the click to the end of
// the first paint of the main window's file list holding the whole folder, and the
// process's resident set then; and the time from the click to the window's first paint.
//
// A process of its own for each measure, so that the resident set is that of one window
// in a fresh program, with nothing left over from earlier windows.
//
// Output, one line: "<click to the whole list's first paint, ns> <resident set, bytes>
// <rows listed> <the list's scroll range at that paint> <processor time from click to that
// paint, ns> <click to the window's first paint, ns>".
#include "filelistmodel.h"
#include "filelistview.h"
#include "folderhandle.h"
#include "frmmain.h"
#include "frmsplash.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>

#include <cstdio>
#include <memory>

#include <time.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Notes the first paint of the splash, of the main window, and of its file list once the
// folder is read (the list paints a count while it is read).
class PaintWatch : public QObject
{
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            if (qobject_cast<frmSplash*>(watched))
                splashPainted = true;
            else if (qobject_cast<frmmain*>(watched) && windowPaintedNs < 0)
                windowPaintedNs = sinceClick.nsecsElapsed();
            else if (auto* view = qobject_cast<QAbstractScrollArea*>(watched->parent()); view
                     && view->objectName() == u"File1" && !listPainted
                     && !static_cast<const FileListModel*>(static_cast<QAbstractItemView*>(view)->model())
                             ->isReading()) {
                listPainted = true;
                scrollRange = view->verticalScrollBar()->maximum();
            }
        }
        return false;
    }

    QElapsedTimer sinceClick;
    qint64 windowPaintedNs = -1;
    bool splashPainted = false;
    bool listPainted = false;
    int scrollRange = -1; // of the file list when first painted: whether it was laid out
};

// The resident set of this process from /proc/self/statm, in bytes.
long long residentBytes()
{
    QFile statm(u"/proc/self/statm"_s);
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * ::sysconf(_SC_PAGESIZE) : -1;
}

// The processor time this process has used, user and system, in seconds.
double cpuSeconds()
{
    timespec now {};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

bool waitFor(const bool& flag)
{
    QElapsedTimer deadline;
    deadline.start();
    // Sleeps between events (a timer wakes it to look at the deadline): a spinning wait
    // would take a processor from the worker that reads the folder.
    QTimer wake;
    wake.start(100);
    while (!flag && deadline.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    return flag;
}

void click(QWidget* widget, QEvent::Type type)
{
    const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
    QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton,
        type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    PaintWatch watch;
    app.installEventFilter(&watch);

    // As main() does: the folder held first, the window made on the splash's click.
    FolderHandle folder = FolderHandle::open(QFile::decodeName(argv[1]));
    std::unique_ptr<frmmain> mainWindow;
    auto* splash = new frmSplash([&mainWindow, &folder] {
        if (!mainWindow)
            mainWindow = std::make_unique<frmmain>(std::move(folder));
        mainWindow->show();
    });
    splash->show();
    if (!waitFor(watch.splashPainted)) {
        std::fprintf(stderr, "the splash was never painted\n");
        return 1;
    }

    const double cpuAtClick = cpuSeconds();
    QElapsedTimer& timer = watch.sinceClick;
    timer.start();
    click(splash, QEvent::MouseButtonPress);
    click(splash, QEvent::MouseButtonRelease);
    if (!waitFor(watch.listPainted) || !mainWindow) {
        std::fprintf(stderr, "the main window's file list was never painted\n");
        return 1;
    }
    const qint64 nanoseconds = timer.nsecsElapsed();
    const double cpu = cpuSeconds() - cpuAtClick;
    std::printf("%lld %lld %d %d %.0f %lld\n", static_cast<long long>(nanoseconds), residentBytes(),
        mainWindow->File1()->model()->rowCount(), watch.scrollRange, cpu * 1e9,
        static_cast<long long>(watch.windowPaintedNs));
    return 0;
}
