// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// Saves killed part way and saves racing other writers, made deterministic by a FUSE file
// system (cantorel_testfs) that holds a write at a chosen byte until the test lets it go.
// Each save runs in a process of its own (cantorel_savehelper), so it can be killed while
// its write is held. Mounting needs /dev/fuse; where the machine has none, the tests are
// skipped with the reason. A process of its own also lets a save run as another user.
#include "playlistwriter.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

extern char** environ;

using namespace Qt::Literals::StringLiterals;

namespace {

// Waiting for an answer longer than this means the program under test hangs: a failure,
// never a way of synchronising. The file system lets a held write fail before that.
constexpr int kHangMs = 60000;

QByteArray playlist(const char* tag, int entries)
{
    QByteArray out = "#EXTM3U\r\n";
    for (int i = 0; i < entries; ++i)
        out += tag + QByteArray::number(i).rightJustified(5, '0') + " - a track title.mp3\r\n";
    return out;
}

const QByteArray kOld = playlist("old ", 100);     // 3,700 bytes
const QByteArray kNew = playlist("new ", 600);     // 22,200 bytes
const QByteArray kOther = playlist("other ", 500);
const QByteArray kMedia = QByteArray("RIFF\x24\x10\0\0WAVEfmt \x10\0\0\0", 20) + QByteArray(3000, '\x7f');

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : "<missing>"_ba;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A process of the test's own with its standard output (and input, when asked) on pipes.
class Process
{
public:
    bool start(const QList<QByteArray>& args, bool withInput)
    {
        int out[2];
        int in[2] = {-1, -1};
        if (::pipe2(out, O_CLOEXEC) != 0 || (withInput && ::pipe2(in, O_CLOEXEC) != 0))
            return false;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        if (withInput)
            posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
        std::vector<char*> argv;
        for (const QByteArray& arg : args)
            argv.push_back(const_cast<char*>(arg.constData()));
        argv.push_back(nullptr);
        const int error = ::posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        m_out = out[0];
        if (withInput) {
            ::close(in[0]);
            m_in = in[1];
        }
        if (error != 0)
            m_pid = -1;
        return error == 0;
    }

    ~Process()
    {
        closeInput();
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        if (m_out >= 0)
            ::close(m_out);
    }

    pid_t pid() const { return m_pid; }

    void send(const QByteArray& line)
    {
        const QByteArray bytes = line + '\n';
        if (::write(m_in, bytes.constData(), size_t(bytes.size())) != bytes.size())
            ADD_FAILURE() << "cannot write to the file system's control";
    }

    void closeInput()
    {
        if (m_in >= 0)
            ::close(m_in);
        m_in = -1;
    }

    // The next line of output; empty at its end or when none came in time.
    QByteArray readLine()
    {
        for (;;) {
            const qsizetype end = m_buffer.indexOf('\n');
            if (end >= 0) {
                const QByteArray line = m_buffer.left(end);
                m_buffer.remove(0, end + 1);
                return line;
            }
            pollfd p {m_out, POLLIN, 0};
            if (::poll(&p, 1, kHangMs) <= 0)
                return {};
            char chunk[4096];
            const ssize_t n = ::read(m_out, chunk, sizeof chunk);
            if (n <= 0)
                return {};
            m_buffer.append(chunk, n);
        }
    }

    // Waits for the end; returns the exit status (-1 when killed) and the whole output.
    int finish(QByteArray* output = nullptr)
    {
        QByteArray all = m_buffer;
        m_buffer.clear();
        for (;;) {
            pollfd p {m_out, POLLIN, 0};
            if (::poll(&p, 1, kHangMs) <= 0)
                break;
            char chunk[4096];
            const ssize_t n = ::read(m_out, chunk, sizeof chunk);
            if (n <= 0)
                break;
            all.append(chunk, n);
        }
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
        if (output)
            *output = all.trimmed();
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t m_pid = -1;
    int m_out = -1;
    int m_in = -1;
    QByteArray m_buffer;
};

// The FUSE mount over a backing folder, both in a temporary folder of the test's own.
class TestFs
{
public:
    QString skipReason;

    bool mount()
    {
        if (::access("/dev/fuse", R_OK | W_OK) != 0) {
            skipReason = u"no usable /dev/fuse: "_s + QString::fromLocal8Bit(std::strerror(errno));
            return false;
        }
        QDir().mkpath(backing());
        QDir().mkpath(mounted());
        if (!m_daemon.start({CANTOREL_TESTFS, QFile::encodeName(backing()), QFile::encodeName(mounted())}, true)) {
            skipReason = u"cannot start the test file system"_s;
            return false;
        }
        const QByteArray ready = m_daemon.readLine();
        if (ready != "ready") {
            skipReason = u"the machine refuses the FUSE mount"_s;
            return false;
        }
        m_mounted = true;
        return true;
    }

    ~TestFs()
    {
        if (m_mounted) {
            m_daemon.closeInput(); // the daemon lets held writes fail, unmounts and ends
            m_daemon.finish();
        }
    }

    QString backing(const QString& rel = {}) const { return m_dir.path() + u"/backing/"_s + rel; }
    QString mounted(const QString& rel = {}) const { return m_dir.path() + u"/mnt/"_s + rel; }
    QString outside(const QString& rel) const { return m_dir.path() + u'/' + rel; }

    void command(const QByteArray& line)
    {
        m_daemon.send(line);
        QByteArray answer;
        while (!(answer = m_daemon.readLine()).isEmpty() && answer != "ok") {}
        ASSERT_EQ(answer, "ok"_ba) << "the file system did not take: " << line.constData();
    }

    // Waits until a write is held; returns what the file system says about it.
    QByteArray waitUntilStalled()
    {
        QByteArray line;
        while (!(line = m_daemon.readLine()).isEmpty() && !line.startsWith("stalled "))  {}
        return line;
    }

    // A save in a process of its own, writing `content` under `name` in the mount.
    bool startSave(Process& save, const QString& name, const QByteArray& content,
                   int lockWaitMs = 3000)
    {
        const QString source = outside(u"content-%1"_s.arg(++m_contents));
        return writeFile(source, content)
            && save.start({CANTOREL_SAVEHELPER, QFile::encodeName(mounted()), QFile::encodeName(name),
                           QFile::encodeName(source), QByteArray::number(lockWaitMs)},
                          false);
    }

    // The writer's temporary files in the backing folder.
    QStringList temporaries() const
    {
        return QDir(backing()).entryList({u".cantorel-save-*"_s}, QDir::Files | QDir::Hidden);
    }

    // Makes the temporary files look as if they were left over a minute ago.
    void ageTemporaries() const
    {
        const struct timespec twoMinutesAgo[2] = {{std::time(nullptr) - 120, 0},
                                                  {std::time(nullptr) - 120, 0}};
        for (const QString& name : temporaries())
            ::utimensat(AT_FDCWD, QFile::encodeName(backing(name)).constData(), twoMinutesAgo, 0);
    }

    // The old playlist keep.m3u, with a second link other.m3u when asked.
    bool holdPlaylist(bool hardLinked) const
    {
        return writeFile(backing(u"keep.m3u"_s), kOld)
            && (!hardLinked
                || ::link(QFile::encodeName(backing(u"keep.m3u"_s)).constData(),
                          QFile::encodeName(backing(u"other.m3u"_s)).constData()) == 0);
    }

private:
    QTemporaryDir m_dir;
    Process m_daemon;
    bool m_mounted = false;
    int m_contents = 0;
};

ino_t inodeOf(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

// Test parameters are shown by their label.
template <typename Case>
    requires requires(const Case& c) { c.label; }
void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.label;
}

// --- kill -9 part way ---------------------------------------------------------------

struct KillCase {
    const char* label;
    bool hardLinked; // the in-place path (with its backup) instead of the rename
    int stallAt;     // the byte at which the save's writes are held when it is killed
};

class SaveKilledTest : public ::testing::TestWithParam<KillCase> {};

// A save killed at any byte leaves the old content or the new one in full, or the old
// content whole in the backup; the next save succeeds and leaves no temporary file.
TEST_P(SaveKilledTest, LeavesTheOldOrTheNewContent)
{
    const KillCase& c = GetParam();
    TestFs fs;
    if (!fs.mount()) {
        GTEST_SKIP() << fs.skipReason.toStdString();
    }
    ASSERT_TRUE(fs.holdPlaylist(c.hardLinked));
    const QString backupRel = PlaylistWriter::backupName(u"keep.m3u"_s);

    fs.command("stall " + QByteArray::number(c.stallAt));
    Process save;
    ASSERT_TRUE(fs.startSave(save, u"keep.m3u"_s, kNew));
    ASSERT_TRUE(fs.waitUntilStalled().startsWith("stalled ")) << "the save never wrote";
    ::kill(save.pid(), SIGKILL);
    fs.command("drop");
    EXPECT_EQ(save.finish(), -1) << "killed";

    const QByteArray target = readFile(fs.backing(u"keep.m3u"_s));
    const QByteArray backup = readFile(fs.backing(backupRel));
    EXPECT_TRUE(target == kOld || target == kNew || backup == kOld)
        << "target " << target.size() << " bytes, backup " << backup.size() << " bytes";
    if (c.hardLinked) {
        EXPECT_EQ(inodeOf(fs.backing(u"keep.m3u"_s)), inodeOf(fs.backing(u"other.m3u"_s)));
    }

    // Later: the next save removes what the killed one left, and keeps a backup it finds.
    fs.ageTemporaries();
    Process next;
    QByteArray output;
    ASSERT_TRUE(fs.startSave(next, u"keep.m3u"_s, kOther));
    EXPECT_EQ(next.finish(&output), 0) << output.constData();
    EXPECT_EQ(readFile(fs.backing(u"keep.m3u"_s)), kOther);
    EXPECT_EQ(fs.temporaries(), QStringList()) << "left behind";
    EXPECT_EQ(readFile(fs.backing(backupRel)), backup) << "a leftover backup is kept as it was";
}

INSTANTIATE_TEST_SUITE_P(Offsets, SaveKilledTest, ::testing::Values(
    KillCase{"rename_at_byte_0", false, 0},
    KillCase{"rename_at_byte_4096", false, 4096},
    KillCase{"rename_at_byte_15000", false, 15000},
    // kOld is 3,700 bytes: below that the backup is being written, above it the file.
    KillCase{"in_place_backup_at_byte_0", true, 0},
    KillCase{"in_place_backup_at_byte_1000", true, 1000},
    KillCase{"in_place_rewrite_at_byte_3700", true, 3700},
    KillCase{"in_place_rewrite_at_byte_15000", true, 15000}),
    [](const auto& info) { return std::string(info.param.label); });

// --- two writers --------------------------------------------------------------------

struct TwoSavesCase {
    const char* label;
    bool hardLinked;
};

class TwoSavesTest : public ::testing::TestWithParam<TwoSavesCase> {};

// While one save of a file is held mid-write, a second one of the same file waits and
// then says that another program is writing it; the file ends as the first save made it.
TEST_P(TwoSavesTest, OneWriterAtATime)
{
    const TwoSavesCase& c = GetParam();
    TestFs fs;
    if (!fs.mount()) {
        GTEST_SKIP() << fs.skipReason.toStdString();
    }
    ASSERT_TRUE(fs.holdPlaylist(c.hardLinked));

    fs.command("stall 1000");
    Process first;
    ASSERT_TRUE(fs.startSave(first, u"keep.m3u"_s, kNew));
    ASSERT_TRUE(fs.waitUntilStalled().startsWith("stalled "));

    Process second;
    QByteArray secondOutput;
    ASSERT_TRUE(fs.startSave(second, u"keep.m3u"_s, kOther, 200));
    EXPECT_EQ(second.finish(&secondOutput), 1) << secondOutput.constData();
    EXPECT_TRUE(secondOutput.contains("Another program is writing the file")) << secondOutput.constData();

    fs.command("release");
    QByteArray firstOutput;
    EXPECT_EQ(first.finish(&firstOutput), 0) << firstOutput.constData();
    EXPECT_EQ(readFile(fs.backing(u"keep.m3u"_s)), kNew);
    if (c.hardLinked) {
        EXPECT_EQ(readFile(fs.backing(u"other.m3u"_s)), kNew);
    }
    EXPECT_EQ(fs.temporaries(), QStringList());
}

INSTANTIATE_TEST_SUITE_P(Paths, TwoSavesTest, ::testing::Values(
    TwoSavesCase{"rename", false},
    TwoSavesCase{"in_place", true}),
    [](const auto& info) { return std::string(info.param.label); });

// --- what appears meanwhile ---------------------------------------------------------

struct AppearCase {
    const char* label;
    QString name;         // saved under this name
    bool exists;          // the name holds a playlist before the save
    bool noReplaceFlag;   // the file system refuses RENAME_NOREPLACE
    bool mediaAppears;    // a media file takes the name while the save is held
};

class AppearTest : public ::testing::TestWithParam<AppearCase> {};

// A file that takes the name while the save is held is never replaced: the save says so
// and the file keeps its content. Without it, the save goes through.
TEST_P(AppearTest, NeverReplacesWhatAppeared)
{
    const AppearCase& c = GetParam();
    TestFs fs;
    if (!fs.mount()) {
        GTEST_SKIP() << fs.skipReason.toStdString();
    }
    if (c.exists) {
        ASSERT_TRUE(writeFile(fs.backing(c.name), kOld));
    }
    if (c.noReplaceFlag)
        fs.command("noreplace off");

    fs.command("stall 1000");
    Process save;
    ASSERT_TRUE(fs.startSave(save, c.name, kNew));
    ASSERT_TRUE(fs.waitUntilStalled().startsWith("stalled "));
    if (c.mediaAppears) {
        // Another program puts a recording under the name (replacing what was there).
        ASSERT_TRUE(writeFile(fs.backing(u"recording"_s), kMedia));
        ASSERT_EQ(::rename(QFile::encodeName(fs.backing(u"recording"_s)).constData(),
                           QFile::encodeName(fs.backing(c.name)).constData()), 0);
    }
    fs.command("release");

    QByteArray output;
    const int status = save.finish(&output);
    if (c.mediaAppears) {
        EXPECT_EQ(status, 1) << output.constData();
        EXPECT_TRUE(output.contains("left alone")) << output.constData();
        EXPECT_EQ(readFile(fs.backing(c.name)), kMedia) << "the recording survives";
    } else {
        EXPECT_EQ(status, 0) << output.constData();
        EXPECT_EQ(readFile(fs.backing(c.name)), kNew);
    }
    EXPECT_EQ(fs.temporaries(), QStringList());
}

INSTANTIATE_TEST_SUITE_P(Cases, AppearTest, ::testing::Values(
    AppearCase{"media_takes_a_new_name", u"take.wav"_s, false, false, true},
    AppearCase{"media_takes_a_new_name_without_noreplace", u"take.wav"_s, false, true, true},
    AppearCase{"new_name_without_noreplace_saves", u"take.m3u"_s, false, true, false},
    AppearCase{"media_replaces_the_playlist", u"keep.m3u"_s, true, false, true}),
    [](const auto& info) { return std::string(info.param.label); });

// --- file systems that refuse what a rename would need ------------------------------

struct RefusingCase {
    const char* label;
    QByteArray refusal;   // the file system's command
    mode_t mode;          // the first save's file is given this mode behind its back
    bool withAttribute;   // and a user attribute
};

class RefusingFsTest : public ::testing::TestWithParam<RefusingCase> {};

// Where modes or attributes cannot be set on a new file, saving over an existing playlist
// still works, and the file keeps its mode and attributes (rewritten in place if need be).
TEST_P(RefusingFsTest, SecondSaveSucceedsAndKeepsWhatTheOwnerSet)
{
    const RefusingCase& c = GetParam();
    TestFs fs;
    if (!fs.mount()) {
        GTEST_SKIP() << fs.skipReason.toStdString();
    }
    Process first;
    QByteArray output;
    ASSERT_TRUE(fs.startSave(first, u"list.m3u"_s, kOld));
    ASSERT_EQ(first.finish(&output), 0) << output.constData();
    const QByteArray file = QFile::encodeName(fs.backing(u"list.m3u"_s));
    ASSERT_EQ(::chmod(file.constData(), c.mode), 0);
    if (c.withAttribute && ::setxattr(file.constData(), "user.cantorel.note", "kept", 4, 0) != 0) {
        GTEST_SKIP() << "no user attributes here: " << std::strerror(errno);
    }
    fs.command(c.refusal);

    Process second;
    ASSERT_TRUE(fs.startSave(second, u"list.m3u"_s, kNew));
    EXPECT_EQ(second.finish(&output), 0) << output.constData();
    EXPECT_EQ(readFile(fs.backing(u"list.m3u"_s)), kNew);
    struct stat st {};
    ::stat(file.constData(), &st);
    EXPECT_EQ(st.st_mode & 07777, c.mode);
    if (c.withAttribute) {
        char value[16] = {};
        EXPECT_EQ(::getxattr(file.constData(), "user.cantorel.note", value, sizeof value), 4);
        EXPECT_STREQ(value, "kept");
    }
    EXPECT_EQ(fs.temporaries(), QStringList());
}

INSTANTIATE_TEST_SUITE_P(Refusals, RefusingFsTest, ::testing::Values(
    RefusingCase{"no_chmod_mode_as_new_files_get", "chmod off", 0644, false},
    RefusingCase{"no_chmod_another_mode", "chmod off", 0600, false},
    RefusingCase{"no_attributes_on_new_files", "setxattr off", 0644, true}),
    [](const auto& info) { return std::string(info.param.label); });


// --- a folder that may be searched and written, but not read ------------------------

struct SearchOnlyCase {
    const char* label;
    bool existing;   // a playlist of the same user is there already
    bool hardLinked; // with a second link, so that it is rewritten in place
};

class SearchOnlyFolderTest : public ::testing::TestWithParam<SearchOnlyCase> {};

// Such a folder is held by a path-only descriptor, which can be neither listed nor synced;
// saves there work as anywhere else. Root may read any folder, so as root they run as nobody.
TEST_P(SearchOnlyFolderTest, SavesWithoutReadingTheFolder)
{
    const SearchOnlyCase& c = GetParam();
    QList<QByteArray> asUser;
    if (::geteuid() == 0) {
        if (::access("/usr/bin/setpriv", X_OK) != 0) {
            GTEST_SKIP() << "no setpriv to run the save as another user";
        }
        asUser = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
    }
    QTemporaryDir dir;
    const QString folder = dir.filePath(u"f"_s);
    // The helper is copied beside the folder: the build may lie where that user cannot go.
    const QString helper = dir.filePath(u"savehelper"_s);
    ASSERT_TRUE(QDir().mkdir(folder));
    ASSERT_TRUE(QFile::copy(QFile::decodeName(CANTOREL_SAVEHELPER), helper));
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0711), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0333), 0);
    const auto readable = qScopeGuard([&] { ::chmod(QFile::encodeName(folder).constData(), 0755); });
    const auto save = [&](const QByteArray& content) {
        const QString source = dir.filePath(u"content"_s);
        QList<QByteArray> args = asUser;
        args << QFile::encodeName(helper) << QFile::encodeName(folder) << "list.m3u"
             << QFile::encodeName(source);
        Process process;
        QByteArray output;
        const bool ran = writeFile(source, content)
            && ::chmod(QFile::encodeName(source).constData(), 0644) == 0 && process.start(args, false);
        const int status = ran ? process.finish(&output) : -1;
        return (status == 0 ? output : output + " (exit " + QByteArray::number(status) + ')').toStdString();
    };

    if (c.existing) {
        ASSERT_EQ(save(kOld), "saved");
    }
    if (c.hardLinked) {
        ASSERT_EQ(::link(QFile::encodeName(folder + u"/list.m3u"_s).constData(),
                         QFile::encodeName(folder + u"/other.m3u"_s).constData()), 0);
    }
    EXPECT_EQ(save(kNew), "saved");
    EXPECT_EQ(readFile(folder + u"/list.m3u"_s), kNew);
    QStringList expected = {u"list.m3u"_s};
    if (c.hardLinked) {
        EXPECT_EQ(readFile(folder + u"/other.m3u"_s), kNew);
        expected << u"other.m3u"_s;
    }
    ::chmod(QFile::encodeName(folder).constData(), 0755); // to list it whoever runs the test
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
}

INSTANTIATE_TEST_SUITE_P(Saves, SearchOnlyFolderTest, ::testing::Values(
    SearchOnlyCase{"new_name", false, false},
    SearchOnlyCase{"replaced", true, false},
    SearchOnlyCase{"rewritten_in_place", true, true}),
    [](const auto& info) { return std::string(info.param.label); });

} // namespace
