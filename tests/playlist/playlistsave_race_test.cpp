// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// Saves killed part way and saves racing other writers, made deterministic by a FUSE file
// system (cantorel_testfs) that holds a write at a chosen byte until the test lets it go.
// Each save runs in a process of its own (cantorel_savehelper), so it can be killed while
// its write is held. Mounting needs /dev/fuse; where the machine has none, the tests are
// skipped with the reason. A process of its own also lets a save run as another user.
#include "playlistwriter.h"
#include "testfsmount.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
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
#include <pwd.h>
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

const QByteArray kOld = playlist("old ", 100); // 3,700 bytes
const QByteArray kNew = playlist("new ", 600); // 22,200 bytes
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

// The same for paths that are bytes in no encoding, which a QString cannot carry.
QByteArray readBytes(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return "<missing>"_ba;
    QByteArray out;
    char chunk[65536];
    ssize_t n;
    while ((n = ::read(fd, chunk, sizeof chunk)) > 0)
        out.append(chunk, n);
    ::close(fd);
    return out;
}

bool writeBytes(const QByteArray& path, const QByteArray& bytes)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const bool done = fd >= 0 && ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    if (fd >= 0)
        ::close(fd);
    return done;
}

// A process of the test's own with its standard output on a pipe.
class Process
{
public:
    bool start(const QList<QByteArray>& args)
    {
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0)
            return false;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        std::vector<char*> argv;
        for (const QByteArray& arg : args)
            argv.push_back(const_cast<char*>(arg.constData()));
        argv.push_back(nullptr);
        const int error = ::posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        m_out = out[0];
        if (error != 0)
            m_pid = -1;
        return error == 0;
    }

    ~Process()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        if (m_out >= 0)
            ::close(m_out);
    }

    pid_t pid() const { return m_pid; }

    // Waits for the end; returns the exit status (-1 when killed) and the whole output.
    int finish(QByteArray* output = nullptr)
    {
        QByteArray all;
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
};

// The test file system with the saves' own helpers.
class TestFs : public TestFsMount
{
public:
    // Waits until a write is held; returns what the file system says about it.
    QByteArray waitUntilStalled() { return waitFor("stalled "); }

    // A save in a process of its own, writing `content` under `name` in the mount.
    bool startSave(Process& save, const QString& name, const QByteArray& content, int lockWaitMs = 3000)
    {
        const QString source = outside(u"content-%1"_s.arg(++m_contents));
        return writeFile(source, content)
            && save.start({CANTOREL_SAVEHELPER, QFile::encodeName(mounted()), QFile::encodeName(name),
                QFile::encodeName(source), QByteArray::number(lockWaitMs)});
    }

    // The copies of old content in the state folder, each as its content.
    QList<QByteArray> stateCopies() const
    {
        QList<QByteArray> copies;
        const QString backups = outside(u"state/cantorel/backups"_s);
        for (const QString& id : QDir(backups).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            const QDir folder(backups + u'/' + id);
            for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden))
                copies << readFile(folder.filePath(name));
        }
        return copies;
    }

    // Rewrites each line of the state folder's records that `pattern` matches.
    void rewriteRecords(const QRegularExpression& pattern, const QString& replacement) const
    {
        const QDir backups(outside(u"state/cantorel/backups"_s));
        for (const QString& name : backups.entryList({u"*.origin"_s}, QDir::Files)) {
            QStringList lines = QString::fromLatin1(readFile(backups.filePath(name))).split(u'\n');
            for (QString& line : lines)
                line.replace(pattern, replacement);
            writeFile(backups.filePath(name), lines.join(u'\n').toLatin1());
        }
    }

    // The writer's temporary files in the backing folder.
    QStringList temporaries() const
    {
        return QDir(backing()).entryList({u".cantorel-save-*"_s}, QDir::Files | QDir::Hidden);
    }

    // Makes the temporary files look as if they were left over a minute ago.
    void ageTemporaries() const
    {
        const struct timespec twoMinutesAgo[2]
            = {{std::time(nullptr) - 120, 0}, {std::time(nullptr) - 120, 0}};
        for (const QString& name : temporaries())
            ::utimensat(AT_FDCWD, QFile::encodeName(backing(name)).constData(), twoMinutesAgo, 0);
    }

    // The old playlist keep.m3u, with a second link other.m3u when asked.
    bool holdPlaylist(bool hardLinked) const
    {
        return writeFile(backing(u"keep.m3u"_s), kOld)
            && (!hardLinked
                || ::link(QFile::encodeName(backing(u"keep.m3u"_s)).constData(),
                       QFile::encodeName(backing(u"other.m3u"_s)).constData())
                    == 0);
    }

private:
    int m_contents = 0;
};

ino_t inodeOf(const QString& path)
{
    struct stat st { };
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

// Test parameters are shown by their label.
template <typename Case>
requires requires(const Case& c) { c.label; }
void PrintTo(const Case& c, std::ostream* os) { *os << c.label; }

// --- kill -9 part way ---------------------------------------------------------------

// A UTF-16 playlist with its byte-order mark: NUL bytes in every ASCII character.
QByteArray utf16(const QByteArray& text)
{
    QByteArray out = "\xff\xfe"_ba;
    for (const char c : text)
        out.append(c).append('\0');
    return out;
}

struct KillCase {
    const char* label;
    bool hardLinked;              // the in-place path (with its copy) instead of the rename
    int stallAt;                  // the byte at which the save's writes are held when it is killed
    QByteArray file = "keep.m3u"; // the file saved; keep.m3u links to it when another
    QByteArray leftover = {};     // a file there already under this name, kept by no one
    QByteArray old = kOld;        // the file's content before the save
    bool nextRefused = false;     // what the killed save left is refused by the next one
    bool otherDevice = false;     // the disk comes back under other numbers before it
};

// keep.m3u (or the file it links to) holds `old`; `leftover`, when named, holds kOther.
bool prepareKill(TestFs& fs, const KillCase& c)
{
    const QByteArray file = QFile::encodeName(fs.backing()) + c.file;
    const QByteArray keep = QFile::encodeName(fs.backing(u"keep.m3u"_s));
    return writeBytes(file, c.old)
        && (!c.hardLinked
            || ::link(file.constData(), QFile::encodeName(fs.backing(u"other.m3u"_s)).constData()) == 0)
        && (c.file == "keep.m3u" || ::symlink(c.file.constData(), keep.constData()) == 0)
        && (c.leftover.isEmpty() || writeBytes(QFile::encodeName(fs.backing()) + c.leftover, kOther));
}

class SaveKilledTest : public ::testing::TestWithParam<KillCase>
{ };

// A save killed at any byte leaves the old content or the new one in full, or the old
// content whole in a copy on the disk (beside the file under its own name's bytes, or in
// the state folder); the next save succeeds, says where the copy is kept, and leaves no
// temporary file. A file that was there before is never touched.
TEST_P(SaveKilledTest, LeavesTheOldOrTheNewContent)
{
    const KillCase& c = GetParam();
    TestFs fs;
    if (!fs.mount()) {
        GTEST_SKIP() << fs.skipReason().toStdString();
    }
    ASSERT_TRUE(prepareKill(fs, c));
    const QByteArray folder = QFile::encodeName(fs.backing());
    const QByteArray filePath = folder + c.file;
    const QByteArray backupPath = folder + PlaylistWriter::backupName(c.file);

    fs.command("stall " + QByteArray::number(c.stallAt));
    Process save;
    ASSERT_TRUE(fs.startSave(save, u"keep.m3u"_s, kNew));
    ASSERT_TRUE(fs.waitUntilStalled().startsWith("stalled ")) << "the save never wrote";
    ::kill(save.pid(), SIGKILL);
    fs.command("drop");
    EXPECT_EQ(save.finish(), -1) << "killed";

    const QByteArray target = readBytes(filePath);
    const QByteArray backup = readBytes(backupPath);
    const QList<QByteArray> kept = fs.stateCopies();
    EXPECT_TRUE(target == c.old || target == kNew || backup == c.old || kept.contains(c.old))
        << "target " << target.size() << " bytes, no copy of the old content";
    if (c.otherDevice) {
        // As a disk attached again gets: the records name other numbers for the folder.
        fs.rewriteRecords(QRegularExpression(u"^(folder: )\\d+:"_s), u"\\1999999:"_s);
        fs.rewriteRecords(QRegularExpression(u"^(filesystem: ).*$"_s), u"\\1"_s);
    }
    if (c.hardLinked) {
        struct stat st { };
        ::stat(filePath.constData(), &st);
        EXPECT_EQ(st.st_ino, inodeOf(fs.backing(u"other.m3u"_s)));
    }

    // Later: the next save removes what the killed one left, keeps every copy it finds,
    // and says where they are.
    fs.ageTemporaries();
    Process next;
    QByteArray output;
    ASSERT_TRUE(fs.startSave(next, u"keep.m3u"_s, kOther));
    EXPECT_EQ(next.finish(&output), c.nextRefused ? 1 : 0) << output.constData();
    EXPECT_EQ(readBytes(filePath), c.nextRefused ? target : kOther);
    EXPECT_EQ(fs.temporaries(), QStringList()) << "left behind";
    EXPECT_EQ(readBytes(backupPath), backup) << "a leftover copy is kept as it was";
    EXPECT_EQ(fs.stateCopies(), kept) << "a leftover copy is kept as it was";
    if (!c.leftover.isEmpty()) {
        EXPECT_EQ(readBytes(folder + c.leftover), kOther) << "a file of that name is never touched";
    }
    const bool copyLeft = backup != "<missing>" || !kept.isEmpty();
    EXPECT_EQ(output.contains("older copies"), copyLeft) << output.constData();
}

INSTANTIATE_TEST_SUITE_P(Offsets, SaveKilledTest,
    ::testing::Values(KillCase {"rename_at_byte_0", false, 0}, KillCase {"rename_at_byte_4096", false, 4096},
        KillCase {"rename_at_byte_15000", false, 15000},
        // kOld is 3,700 bytes: below that the copy is being written, above it the file.
        KillCase {"in_place_backup_at_byte_0", true, 0},
        KillCase {"in_place_backup_at_byte_1000", true, 1000},
        KillCase {"in_place_rewrite_at_byte_3700", true, 3700},
        KillCase {"in_place_rewrite_at_byte_15000", true, 15000},
        // No copy fits beside: a name too long for one, or a copy of a cut-off save in the way.
        KillCase {"in_place_name_too_long_for_a_copy_beside", true, 15000, QByteArray(246, 'l') + ".m3u"},
        KillCase {"in_place_with_an_older_copy_beside", true, 15000, "list.m3u", ".list.m3u.cantorel-backup"},
        // A name that is not UTF-8 has a copy of its own bytes, not of a decoded name's.
        KillCase {"in_place_latin1_name", true, 15000, "caf\xe9.m3u", ".caf\xef\xbf\xbd.m3u.cantorel-backup"},
        // The only whole copy is told when the disk comes back under another device number,
        // and when what the cut left is refused (UTF-16 half overwritten: binary data now).
        KillCase {"in_place_copy_recorded_under_another_device", true, 15000, QByteArray(246, 'l') + ".m3u",
            {}, kOld, false, true},
        KillCase {"in_place_utf16_cut_then_refused", true, 1000, QByteArray(246, 'l') + ".m3u", {},
            utf16(kOld), true}),
    [](const auto& info) { return std::string(info.param.label); });

// --- two writers --------------------------------------------------------------------

struct TwoSavesCase {
    const char* label;
    bool hardLinked;
};

class TwoSavesTest : public ::testing::TestWithParam<TwoSavesCase>
{ };

// While one save of a file is held mid-write, a second one of the same file waits and
// then says that another program is writing it; the file ends as the first save made it.
TEST_P(TwoSavesTest, OneWriterAtATime)
{
    const TwoSavesCase& c = GetParam();
    TestFs fs;
    if (!fs.mount()) {
        GTEST_SKIP() << fs.skipReason().toStdString();
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
    EXPECT_TRUE(secondOutput.startsWith("AnotherWriter ")) << secondOutput.constData();

    fs.command("release");
    QByteArray firstOutput;
    EXPECT_EQ(first.finish(&firstOutput), 0) << firstOutput.constData();
    EXPECT_EQ(readFile(fs.backing(u"keep.m3u"_s)), kNew);
    if (c.hardLinked) {
        EXPECT_EQ(readFile(fs.backing(u"other.m3u"_s)), kNew);
    }
    EXPECT_EQ(fs.temporaries(), QStringList());
}

INSTANTIATE_TEST_SUITE_P(Paths, TwoSavesTest,
    ::testing::Values(TwoSavesCase {"rename", false}, TwoSavesCase {"in_place", true}),
    [](const auto& info) { return std::string(info.param.label); });

// --- what appears meanwhile ---------------------------------------------------------

struct AppearCase {
    const char* label;
    QString name;       // saved under this name
    bool exists;        // the name holds a playlist before the save
    bool noReplaceFlag; // the file system refuses RENAME_NOREPLACE
    bool mediaAppears;  // a media file takes the name while the save is held
};

class AppearTest : public ::testing::TestWithParam<AppearCase>
{ };

// A file that takes the name while the save is held is never replaced: the save says so
// and the file keeps its content. Without it, the save goes through.
TEST_P(AppearTest, NeverReplacesWhatAppeared)
{
    const AppearCase& c = GetParam();
    TestFs fs;
    if (!fs.mount()) {
        GTEST_SKIP() << fs.skipReason().toStdString();
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
                      QFile::encodeName(fs.backing(c.name)).constData()),
            0);
    }
    fs.command("release");

    QByteArray output;
    const int status = save.finish(&output);
    if (c.mediaAppears) {
        EXPECT_EQ(status, 1) << output.constData();
        EXPECT_TRUE(output.contains("Meanwhile ")) << output.constData();
        EXPECT_EQ(readFile(fs.backing(c.name)), kMedia) << "the recording survives";
    } else {
        EXPECT_EQ(status, 0) << output.constData();
        EXPECT_EQ(readFile(fs.backing(c.name)), kNew);
    }
    EXPECT_EQ(fs.temporaries(), QStringList());
}

INSTANTIATE_TEST_SUITE_P(Cases, AppearTest,
    ::testing::Values(AppearCase {"media_takes_a_new_name", u"take.wav"_s, false, false, true},
        AppearCase {"media_takes_a_new_name_without_noreplace", u"take.wav"_s, false, true, true},
        AppearCase {"new_name_without_noreplace_saves", u"take.m3u"_s, false, true, false},
        AppearCase {"media_replaces_the_playlist", u"keep.m3u"_s, true, false, true}),
    [](const auto& info) { return std::string(info.param.label); });

// A file put under the name while the rename that replaces it is under way (a recorder
// finishing, another program's save) is kept: only the file examined is ever replaced.
TEST(ReplaceTest, FileSwappedInDuringTheRenameIsKept)
{
    TestFs fs;
    if (!fs.mount()) {
        GTEST_SKIP() << fs.skipReason().toStdString();
    }
    ASSERT_TRUE(fs.holdPlaylist(false));
    fs.command("holdrename");
    Process save;
    ASSERT_TRUE(fs.startSave(save, u"keep.m3u"_s, kNew));
    ASSERT_TRUE(fs.waitFor("renaming ").startsWith("renaming ")) << "the save never renamed";
    ASSERT_TRUE(writeFile(fs.backing(u"recording"_s), kMedia));
    ASSERT_EQ(::rename(QFile::encodeName(fs.backing(u"recording"_s)).constData(),
                  QFile::encodeName(fs.backing(u"keep.m3u"_s)).constData()),
        0);
    fs.command("release");

    QByteArray output;
    EXPECT_EQ(save.finish(&output), 1) << output.constData();
    EXPECT_TRUE(output.startsWith("ReplacedMeanwhile")) << output.constData();
    EXPECT_EQ(readFile(fs.backing(u"keep.m3u"_s)), kMedia) << "the recording survives";
    EXPECT_EQ(fs.temporaries(), QStringList());
}

// --- file systems that refuse what a rename would need ------------------------------

struct RefusingCase {
    const char* label;
    QByteArray refusal; // the file system's command
    mode_t mode;        // the first save's file is given this mode behind its back
    bool withAttribute; // and a user attribute
};

class RefusingFsTest : public ::testing::TestWithParam<RefusingCase>
{ };

// Where modes or attributes cannot be set on a new file, saving over an existing playlist
// still works, and the file keeps its mode and attributes (rewritten in place if need be).
TEST_P(RefusingFsTest, SecondSaveSucceedsAndKeepsWhatTheOwnerSet)
{
    const RefusingCase& c = GetParam();
    TestFs fs;
    if (!fs.mount()) {
        GTEST_SKIP() << fs.skipReason().toStdString();
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
    struct stat st { };
    ::stat(file.constData(), &st);
    EXPECT_EQ(st.st_mode & 07777, c.mode);
    if (c.withAttribute) {
        char value[16] = {};
        EXPECT_EQ(::getxattr(file.constData(), "user.cantorel.note", value, sizeof value), 4);
        EXPECT_STREQ(value, "kept");
    }
    EXPECT_EQ(fs.temporaries(), QStringList());
}

INSTANTIATE_TEST_SUITE_P(Refusals, RefusingFsTest,
    ::testing::Values(RefusingCase {"no_chmod_mode_as_new_files_get", "chmod off", 0644, false},
        RefusingCase {"no_chmod_another_mode", "chmod off", 0600, false},
        RefusingCase {"no_attributes_on_new_files", "setxattr off", 0644, true}),
    [](const auto& info) { return std::string(info.param.label); });

// --- what a file system of few abilities makes of a save ----------------------------

struct FewAbilitiesCase {
    const char* label;
    QList<QByteArray> commands; // to the file system, before the save
    bool existing;              // list.m3u holds kOld before the save, with a second link
    bool saved;
    QByteArray reason = {}; // the reason's code and error when not saved
};

class FewAbilitiesTest : public ::testing::TestWithParam<FewAbilitiesCase>
{ };

// Neither unnamed files (this file system makes none) nor links nor a rename that replaces
// nothing are needed; no file of a save is ever made readable by others, even for a
// moment; and a folder whose sync fails never ends in "saved", nor leaves the new file.
TEST_P(FewAbilitiesTest, SavesTrulyAndPrivately)
{
    const FewAbilitiesCase& c = GetParam();
    TestFs fs;
    if (!fs.mount()) {
        GTEST_SKIP() << fs.skipReason().toStdString();
    }
    if (c.existing) {
        ASSERT_TRUE(writeFile(fs.backing(u"list.m3u"_s), kOld));
        ASSERT_EQ(::link(QFile::encodeName(fs.backing(u"list.m3u"_s)).constData(),
                      QFile::encodeName(fs.backing(u"other.m3u"_s)).constData()),
            0);
    }
    for (const QByteArray& command : c.commands)
        fs.command(command);

    const mode_t before = ::umask(022);
    Process save;
    QByteArray output;
    const bool started = fs.startSave(save, u"list.m3u"_s, kNew);
    ::umask(before);
    ASSERT_TRUE(started);
    const int status = save.finish(&output);
    if (c.saved) {
        EXPECT_EQ(status, 0) << output.constData();
        EXPECT_EQ(readFile(fs.backing(u"list.m3u"_s)), kNew);
    } else {
        EXPECT_EQ(status, 1) << output.constData();
        EXPECT_TRUE(output.contains(c.reason)) << output.constData();
        EXPECT_EQ(readFile(fs.backing(u"list.m3u"_s)), c.existing ? kOld : "<missing>"_ba);
    }
    for (const QByteArray& create : fs.command("creates"))
        EXPECT_TRUE(create.endsWith(" 0600")) << "made open to others: " << create.constData();
    EXPECT_EQ(fs.temporaries(), QStringList());
    EXPECT_EQ(fs.stateCopies(), QList<QByteArray>());
}

INSTANTIATE_TEST_SUITE_P(Cases, FewAbilitiesTest,
    ::testing::Values(FewAbilitiesCase {"new_file_made_private", {}, false, true},
        FewAbilitiesCase {"copy_beside_made_private", {}, true, true},
        FewAbilitiesCase {"no_links_no_noreplace", {"link off", "noreplace off"}, false, true},
        FewAbilitiesCase {"folder_sync_fails", {"fsyncdir eio"}, false, false,
            "NewFolderSyncFailed error=" + QByteArray::number(EIO)},
        // A file system that turned read-only after an error (errors=remount-ro) loses the name.
        FewAbilitiesCase {"folder_sync_read_only_after_the_write", {"fsyncdir erofs"}, false, false,
            "NewFolderSyncFailed error=" + QByteArray::number(EROFS)}),
    [](const auto& info) { return std::string(info.param.label); });

// --- a folder that may be searched and written, but not read ------------------------

struct SearchOnlyCase {
    const char* label;
    bool existing;        // a playlist of the same user is there already
    bool hardLinked;      // with a second link, so that it is rewritten in place
    bool viaLink = false; // saved through a link in another such folder
};

class SearchOnlyFolderTest : public ::testing::TestWithParam<SearchOnlyCase>
{ };

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
    const auto readable = qScopeGuard([&] {
        ::chmod(QFile::encodeName(folder).constData(), 0755);
        ::chmod(QFile::encodeName(dir.filePath(u"l"_s)).constData(), 0755);
    });
    // The other folder, as closed as the first, holds a link to the playlist.
    const QString linkFolder = dir.filePath(u"l"_s);
    ASSERT_TRUE(QDir().mkdir(linkFolder));
    ASSERT_EQ(::symlink("../f/list.m3u", QFile::encodeName(linkFolder + u"/link.m3u"_s).constData()), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(linkFolder).constData(), 0333), 0);
    const auto save = [&](const QByteArray& content, bool viaLink = false) {
        const QString source = dir.filePath(u"content"_s);
        QList<QByteArray> args = asUser;
        args << QFile::encodeName(helper) << QFile::encodeName(viaLink ? linkFolder : folder)
             << (viaLink ? "link.m3u" : "list.m3u") << QFile::encodeName(source);
        Process process;
        QByteArray output;
        const bool ran = writeFile(source, content)
            && ::chmod(QFile::encodeName(source).constData(), 0644) == 0 && process.start(args);
        const int status = ran ? process.finish(&output) : -1;
        return (status == 0 ? output : output + " (exit " + QByteArray::number(status) + ')').toStdString();
    };

    if (c.existing) {
        ASSERT_EQ(save(kOld), "saved");
    }
    if (c.hardLinked) {
        ASSERT_EQ(::link(QFile::encodeName(folder + u"/list.m3u"_s).constData(),
                      QFile::encodeName(folder + u"/other.m3u"_s).constData()),
            0);
    }
    EXPECT_EQ(save(kNew, c.viaLink), "saved");
    EXPECT_EQ(readFile(folder + u"/list.m3u"_s), kNew);
    QStringList expected = {u"list.m3u"_s};
    if (c.hardLinked) {
        EXPECT_EQ(readFile(folder + u"/other.m3u"_s), kNew);
        expected << u"other.m3u"_s;
    }
    ::chmod(QFile::encodeName(folder).constData(), 0755); // to list it whoever runs the test
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
}

INSTANTIATE_TEST_SUITE_P(Saves, SearchOnlyFolderTest,
    ::testing::Values(SearchOnlyCase {"new_name", false, false}, SearchOnlyCase {"replaced", true, false},
        SearchOnlyCase {"rewritten_in_place", true, true},
        SearchOnlyCase {"through_a_link", true, false, true}),
    [](const auto& info) { return std::string(info.param.label); });

// --- links another user of the group may plant ---------------------------------------

bool runQuietly(const QString& program, const QStringList& args)
{
    QProcess process;
    process.start(program, args);
    return process.waitForFinished(kHangMs) && process.exitStatus() == QProcess::NormalExit
        && process.exitCode() == 0;
}

// Two users of one group, made for these tests and removed after them: `saver` saves, the
// other plants links where the group may write.
class GroupUsers
{
public:
    // Named after the test's process, so that tests run side by side do not share them.
    GroupUsers()
        : kGroup("cantorel-g" + QByteArray::number(::getpid())),
          kSaver("cantorel-s" + QByteArray::number(::getpid())),
          kPlanter("cantorel-p" + QByteArray::number(::getpid()))
    { }

    const QByteArray kGroup;
    const QByteArray kSaver;
    const QByteArray kPlanter;

    bool make(QString& why)
    {
        if (::geteuid() != 0 || ::access("/usr/sbin/useradd", X_OK) != 0
            || ::access("/usr/bin/setpriv", X_OK) != 0) {
            why = u"making users needs root, useradd and setpriv"_s;
            return false;
        }
        remove(); // left by a test that was killed
        m_made = runQuietly(u"/usr/sbin/groupadd"_s, {QString::fromLatin1(kGroup)})
            && runQuietly(u"/usr/sbin/useradd"_s,
                {u"-M"_s, u"-N"_s, u"-g"_s, QString::fromLatin1(kGroup), QString::fromLatin1(kSaver)})
            && runQuietly(u"/usr/sbin/useradd"_s,
                {u"-M"_s, u"-N"_s, u"-g"_s, QString::fromLatin1(kGroup), QString::fromLatin1(kPlanter)});
        // getpwnam answers in one buffer: each answer is taken before the next question.
        const struct passwd* user = m_made ? ::getpwnam(kSaver.constData()) : nullptr;
        if (user) {
            saverUid = user->pw_uid;
            gid = user->pw_gid;
            user = ::getpwnam(kPlanter.constData());
        }
        if (!user) {
            why = u"the system refused to make the test's users"_s;
            return false;
        }
        planterUid = user->pw_uid;
        return true;
    }

    ~GroupUsers()
    {
        if (m_made)
            remove();
    }

    uid_t saverUid = 0;
    uid_t planterUid = 0;
    gid_t gid = 0;

private:
    void remove() const
    {
        runQuietly(u"/usr/sbin/userdel"_s, {QString::fromLatin1(kSaver)});
        runQuietly(u"/usr/sbin/userdel"_s, {QString::fromLatin1(kPlanter)});
        runQuietly(u"/usr/sbin/groupdel"_s, {QString::fromLatin1(kGroup)});
    }

    bool m_made = false;
};

struct PlantedLinkCase {
    const char* label;
    mode_t folderMode;  // the folder holding the link, the saver's own
    bool aclForPlanter; // the folder's ACL lets the planter write it besides
    bool followed;      // the link leads the save to the saver's playlist
};

class PlantedLinkTest : public ::testing::TestWithParam<PlantedLinkCase>
{ };

// In a folder that another user may write (by its group, or its ACL), a link that user
// planted under the playlist's name is not followed: the saver's own file elsewhere is not
// overwritten, and the refusal names who made the link. In a folder no one else may write,
// a link is followed whoever made it (root put it there, or it was there before).
TEST_P(PlantedLinkTest, OnlyLinksNoOneElseCouldPlantAreFollowed)
{
    const PlantedLinkCase& c = GetParam();
    GroupUsers users;
    QString why;
    if (!users.make(why)) {
        GTEST_SKIP() << why.toStdString();
    }
    QTemporaryDir dir;
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0711), 0);
    const auto path
        = [&](const char* rel) { return QFile::encodeName(dir.filePath(QString::fromLatin1(rel))); };
    // The saver's own playlist, and the helper where the saver may run it.
    ASSERT_EQ(::mkdir(path("home").constData(), 0700), 0);
    ASSERT_TRUE(writeBytes(path("home/list.m3u"), kOld));
    ASSERT_TRUE(QFile::copy(QFile::decodeName(CANTOREL_SAVEHELPER), dir.filePath(u"savehelper"_s)));
    ASSERT_TRUE(writeBytes(path("content"), kNew));
    ASSERT_EQ(::mkdir(path("state").constData(), 0700), 0);
    ASSERT_EQ(::mkdir(path("shared").constData(), 0700), 0);
    for (const char* rel : {"home", "home/list.m3u", "state", "shared"})
        ASSERT_EQ(::chown(path(rel).constData(), users.saverUid, users.gid), 0) << rel;
    ASSERT_EQ(::chmod(path("shared").constData(), c.folderMode), 0);
    if (c.aclForPlanter
        && !runQuietly(u"setfacl"_s,
            {u"-m"_s, u"u:%1:rwx"_s.arg(QString::fromLatin1(users.kPlanter)),
                QFile::decodeName(path("shared"))})) {
        GTEST_SKIP() << "no ACLs here";
    }
    // The other member's link to the saver's playlist.
    ASSERT_EQ(::symlink("../home/list.m3u", path("shared/party.m3u").constData()), 0);
    ASSERT_EQ(::lchown(path("shared/party.m3u").constData(), users.planterUid, users.gid), 0);

    Process save;
    QByteArray output;
    ASSERT_TRUE(save.start({"/usr/bin/setpriv", "--reuid=" + users.kSaver, "--regid=" + users.kGroup,
        "--init-groups", "/usr/bin/env", "XDG_STATE_HOME=" + path("state"), path("savehelper"),
        path("shared"), "party.m3u", path("content")}));
    const int status = save.finish(&output);
    if (c.followed) {
        EXPECT_EQ(status, 0) << output.constData();
        EXPECT_EQ(readBytes(path("home/list.m3u")), kNew);
    } else {
        EXPECT_EQ(status, 1) << output.constData();
        EXPECT_EQ(output, "SharedFolderLink error=0 subject=" + users.kPlanter);
        EXPECT_EQ(readBytes(path("home/list.m3u")), kOld) << "steered onto the saver's file";
    }
}

INSTANTIATE_TEST_SUITE_P(Folders, PlantedLinkTest,
    ::testing::Values(PlantedLinkCase {"group_may_write", 02775, false, false},
        PlantedLinkCase {"group_may_write_sticky", 03770, false, false},
        PlantedLinkCase {"acl_lets_another_user_write", 0755, true, false},
        PlantedLinkCase {"no_one_else_may_write", 0755, false, true}),
    [](const auto& info) { return std::string(info.param.label); });

// --- a power cut right after a save ---------------------------------------------------

struct PowerCutCase {
    const char* label;
    bool inPlace;    // list.m3u exists with a second link: rewritten in place, with a copy
    bool searchOnly; // a folder that may be searched and written, but not read (as nobody)
};

class PowerCutTest : public ::testing::TestWithParam<PowerCutCase>
{ };

bool run(const QString& program, const QStringList& args, QString* error = nullptr)
{
    QProcess process;
    process.start(program, args);
    const bool done = process.waitForFinished(kHangMs) && process.exitStatus() == QProcess::NormalExit
        && process.exitCode() == 0;
    if (!done && error)
        *error = program + u": "_s + QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    return done;
}

// What "saved" promises is on the disk when it is said: an ext4 image that commits nothing
// by itself for minutes is copied the moment the save returns, and the copy (what a power
// cut would leave) holds the new playlist and no stale copy of the old content.
TEST_P(PowerCutTest, TheDiskHoldsWhatWasSaid)
{
    const PowerCutCase& c = GetParam();
    if (::geteuid() != 0) {
        GTEST_SKIP() << "mounting an image needs root";
    }
    QTemporaryDir dir;
    const QString image = dir.filePath(u"disk.img"_s);
    const QString mounted = dir.filePath(u"mnt"_s);
    const QString copy = dir.filePath(u"copy.img"_s);
    const QString copyMounted = dir.filePath(u"copy"_s);
    QString error;
    ASSERT_TRUE(QDir().mkdir(mounted) && QDir().mkdir(copyMounted));
    if (!run(u"mkfs.ext4"_s, {u"-q"_s, u"-F"_s, image, u"16M"_s}, &error)
        || !run(u"mount"_s, {u"-o"_s, u"loop,commit=300"_s, image, mounted}, &error)) {
        GTEST_SKIP() << "cannot make an ext4 image here: " << error.toStdString();
    }
    const auto unmount = qScopeGuard([&] {
        run(u"umount"_s, {copyMounted});
        run(u"umount"_s, {mounted});
    });
    const QString folder = mounted + u"/f"_s;
    ASSERT_TRUE(QDir().mkdir(folder));
    if (c.inPlace) {
        ASSERT_TRUE(writeFile(folder + u"/list.m3u"_s, kOld));
        ASSERT_EQ(::link(QFile::encodeName(folder + u"/list.m3u"_s).constData(),
                      QFile::encodeName(folder + u"/other.m3u"_s).constData()),
            0);
    }
    QList<QByteArray> args;
    QString helper = QFile::decodeName(CANTOREL_SAVEHELPER);
    if (c.searchOnly) {
        if (::access("/usr/bin/setpriv", X_OK) != 0) {
            GTEST_SKIP() << "no setpriv to run the save as another user";
        }
        args = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
        helper = dir.filePath(u"savehelper"_s); // the build may lie where nobody cannot go
        ASSERT_TRUE(QFile::copy(QFile::decodeName(CANTOREL_SAVEHELPER), helper));
        ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0711), 0);
        ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0333), 0);
    }
    const QString source = dir.filePath(u"content"_s);
    ASSERT_TRUE(writeFile(source, kNew));
    ASSERT_EQ(::chmod(QFile::encodeName(source).constData(), 0644), 0);
    qputenv("XDG_STATE_HOME", QFile::encodeName(dir.filePath(u"state"_s)));
    const auto noState = qScopeGuard([] { qunsetenv("XDG_STATE_HOME"); });
    ::sync(); // what was there before the save is on the disk

    args << QFile::encodeName(helper) << QFile::encodeName(folder) << "list.m3u" << QFile::encodeName(source);
    Process save;
    QByteArray output;
    ASSERT_TRUE(save.start(args));
    ASSERT_EQ(save.finish(&output), 0) << output.constData();
    ASSERT_TRUE(QFile::copy(image, copy)); // the power cut

    ASSERT_TRUE(run(u"mount"_s, {u"-o"_s, u"loop"_s, copy, copyMounted}, &error)) << error.toStdString();
    EXPECT_EQ(readFile(copyMounted + u"/f/list.m3u"_s), kNew);
    QStringList expected = {u"list.m3u"_s};
    if (c.inPlace)
        expected << u"other.m3u"_s;
    EXPECT_EQ(QDir(copyMounted + u"/f"_s).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected)
        << "after the power cut";
}

INSTANTIATE_TEST_SUITE_P(Saves, PowerCutTest,
    ::testing::Values(PowerCutTest::ParamType {"copy_removed_after_rewrite_in_place", true, false},
        PowerCutTest::ParamType {"new_name_in_a_search_only_folder", false, true}),
    [](const auto& info) { return std::string(info.param.label); });

} // namespace
