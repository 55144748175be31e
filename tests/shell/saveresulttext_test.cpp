// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// The English words of a save's result: the sentences the README quotes, and those put
// together from parts (a step and the system's reason, what the file holds, the places no
// copy could be made, the older copies), exactly as the user reads them.
#include "saveresulttext.h"

#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>

using namespace Qt::StringLiterals;
using Reason = PlaylistWriter::Reason;
using Result = PlaylistWriter::Result;

namespace {

struct TextCase {
    const char* label;
    std::function<Result()> result;
    QString english;     // the whole text: the reason, then the notice on a line of its own
    QString quoted = {}; // the part the README quotes, when it does
};

Result step(Reason reason, int error)
{
    Result r;
    r.reason = reason;
    r.error = error;
    return r;
}

QString readme()
{
    QFile file(QStringLiteral(CANTOREL_README));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // The README wraps its lines: a quote may run over a line break.
    return QString::fromUtf8(file.readAll()).replace(QRegularExpression(u"\\s+"_s), u" "_s);
}

class SaveResultTextTest : public ::testing::TestWithParam<TextCase>
{ };

TEST_P(SaveResultTextTest, IsTheEnglishTheReadmeShows)
{
    const TextCase& c = GetParam();
    const Result result = c.result();
    QString text = SaveResultText::reason(result);
    if (const QString notice = SaveResultText::notice(result); !notice.isEmpty())
        text += (text.isEmpty() ? QString() : u"\n"_s) + notice;
    EXPECT_EQ(text, c.english);
    if (!c.quoted.isEmpty()) {
        EXPECT_TRUE(c.english.contains(c.quoted));
        EXPECT_TRUE(readme().contains(c.quoted)) << "the README no longer shows: " << c.quoted.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, SaveResultTextTest,
    ::testing::Values(TextCase {"no_room", [] { return step(Reason::WriteFailed, ENOSPC); },
                          u"Writing the playlist failed: No space left on device."_s,
                          u"Writing the playlist failed: No space left on device."_s},
        TextCase {"folder_removed", [] { return step(Reason::NewFileFailed, ENOENT); },
            u"A new file could not be made in the folder: No such file or directory."_s,
            u"No such file or directory"_s},
        TextCase {"binary_data",
            [] {
                Result r;
                r.reason = Reason::BinaryContent;
                return r;
            },
            u"The file holds binary data, not a playlist, and a playlist never overwrites it."_s,
            u"binary data, not a playlist"_s},
        TextCase {"no_progress", [] { return step(Reason::WriteFailed, PlaylistWriter::kNoProgress); },
            u"Writing the playlist failed: the system took no more bytes."_s},
        TextCase {"windows_words_without_number",
            [] {
                Result r = step(Reason::OpenFailed, 0);
                r.errorText = u"Access denied"_s;
                return r;
            },
            u"The file could not be opened for writing: Access denied."_s},
        TextCase {"windows_folder_without_reason", [] { return step(Reason::FolderUnusable, 0); },
            u"The folder cannot be used."_s},
        TextCase {"put_back",
            [] {
                Result r = step(Reason::SyncFailed, EIO);
                r.holds = PlaylistWriter::Holds::OldContent;
                return r;
            },
            u"Writing the playlist to the disk failed: Input/output error. The file still "
            "holds its old content."_s},
        TextCase {"damaged",
            [] {
                Result r = step(Reason::WriteFailed, EIO);
                r.holds = PlaylistWriter::Holds::Damaged;
                r.restoreError = ENOSPC;
                r.copyPath = u"/m/.a.m3u.cantorel-backup"_s;
                return r;
            },
            u"Writing the playlist failed: Input/output error. Its old content could not be "
            "put back (No space left on device): the file is damaged. Its whole old content "
            "is kept in /m/.a.m3u.cantorel-backup."_s},
        TextCase {"no_copy_anywhere",
            [] {
                Result r;
                r.reason = Reason::NoCopyKept;
                r.olderCopyInTheWay = true;
                r.stateFolder = u"/home/u/.local/state/cantorel/backups"_s;
                r.stateError = EACCES;
                return r;
            },
            u"The file is rewritten in place (to keep its links, owner or permissions), and no "
            "copy of its old content could be kept meanwhile (beside it, an older copy is in "
            "the way; in /home/u/.local/state/cantorel/backups, Permission denied), so it was "
            "left as it was."_s},
        TextCase {"held_by_a_writer",
            [] {
                Result r;
                r.reason = Reason::AnotherWriter;
                r.waitMs = 3000;
                return r;
            },
            u"Another program is writing the file: it stayed locked for 3 seconds. Save again "
            "once it is done."_s},
        TextCase {"separator_named",
            [] {
                Result r;
                r.reason = Reason::NameHasSeparator;
                r.subject = u"/"_s;
                return r;
            },
            u"The name holds \"/\": a playlist is saved into the listed folder, so its name "
            "cannot lead into another folder."_s},
        TextCase {"older_copies_on_a_save",
            [] {
                Result r;
                r.saved = true;
                r.olderCopies = {u"/m/.a.m3u.cantorel-backup"_s, u"/s/x/a.m3u"_s};
                return r;
            },
            u"Older copies of this file, left by saves that were cut off, are kept in "
            "/m/.a.m3u.cantorel-backup, /s/x/a.m3u."_s},
        // A folder too deep for its path to be given out: the copy is named by its name.
        TextCase {"older_copy_in_a_deep_folder",
            [] {
                Result r;
                r.saved = true;
                r.olderCopies = {u".keep.m3u.cantorel-backup"_s};
                return r;
            },
            u"An older copy of this file, left by a save that was cut off, is kept in "
            ".keep.m3u.cantorel-backup in the folder Cantorel was started in."_s}),
    [](const auto& info) { return std::string(info.param.label); });

} // namespace
