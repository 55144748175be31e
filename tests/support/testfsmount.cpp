// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "testfsmount.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// No answer for this long means a hang; the file system lets a held operation go after 30 s.
constexpr int kHangMs = 60000;

} // namespace

TestFsMount::TestFsMount()
{
    // The file system's complaints go to the test's log.
    m_daemon.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

TestFsMount::~TestFsMount()
{
    qunsetenv("XDG_STATE_HOME");
    if (m_daemon.state() != QProcess::NotRunning) {
        m_daemon.closeWriteChannel();
        m_daemon.waitForFinished(kHangMs);
    }
}

bool TestFsMount::mount()
{
    if (::access("/dev/fuse", R_OK | W_OK) != 0) {
        m_skipReason = u"no usable /dev/fuse: "_s + QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    QDir().mkpath(backing());
    QDir().mkpath(mounted());
    qputenv("XDG_STATE_HOME", QFile::encodeName(outside(u"state"_s)));
    m_daemon.start(QStringLiteral(CANTOREL_TESTFS), {backing(), mounted()});
    if (!m_daemon.waitForStarted()) {
        m_skipReason = u"cannot start the test file system: "_s + m_daemon.errorString();
        return false;
    }
    if (take("ready", true) != "ready") {
        m_skipReason = u"the machine refuses the FUSE mount"_s;
        return false;
    }
    return true;
}

QString TestFsMount::backing(const QString& rel) const { return m_dir.path() + u"/backing/"_s + rel; }

QString TestFsMount::mounted(const QString& rel) const { return m_dir.path() + u"/mnt/"_s + rel; }

QString TestFsMount::outside(const QString& rel) const { return m_dir.path() + u'/' + rel; }

QList<QByteArray> TestFsMount::command(const QByteArray& line)
{
    const qsizetype before = m_lines.size();
    m_daemon.write(line + '\n');
    m_daemon.waitForBytesWritten(kHangMs);
    const bool taken = take("ok", true) == "ok";
    EXPECT_TRUE(taken) << "the file system did not take: " << line.constData();
    return m_lines.mid(before);
}

QByteArray TestFsMount::waitFor(const QByteArray& start) { return take(start, false); }

bool TestFsMount::hasSaid(const QByteArray& start)
{
    readAvailable(0);
    return indexOf(start, false) >= 0;
}

qsizetype TestFsMount::indexOf(const QByteArray& start, bool whole) const
{
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        if (whole ? m_lines[i] == start : m_lines[i].startsWith(start))
            return i;
    }
    return -1;
}

QByteArray TestFsMount::take(const QByteArray& start, bool whole)
{
    for (;;) {
        const qsizetype at = indexOf(start, whole);
        if (at >= 0)
            return m_lines.takeAt(at);
        if (!readAvailable(kHangMs))
            return {};
    }
}

// Moves the whole lines printed so far into m_lines, waiting up to `waitMs` for one; false
// when none came (the file system hangs or has ended).
bool TestFsMount::readAvailable(int waitMs)
{
    while (!m_daemon.canReadLine()) {
        if (!m_daemon.waitForReadyRead(waitMs))
            return false;
    }
    while (m_daemon.canReadLine())
        m_lines << m_daemon.readLine().trimmed();
    return true;
}
