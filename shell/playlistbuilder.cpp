// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "playlistbuilder.h"

#include "filenametext.h"
#include "playlistbytesbuilder.h"
#include "playlistformat.h"
#include "saveprogress.h"
#include "saveresulttext.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QEventLoop>
#include <QFutureWatcher>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kApplicationTitle = u"Cantorel"_s;
// Room beside a centred caption for a title bar's icon on one side and its three buttons
// on the other, in pixels.
constexpr int kTitleBarSideRoom = 96;
const char* const kCheckTooltip = QT_TRANSLATE_NOOP("PlaylistBuilder", "Save as m3u file");

// The text edit keeps one block per line; the playlist joins them by CR LF. Converting
// at this one boundary keeps the box's own line handling intact.
QString toBoxText(const QString& crlfText)
{
    QString text = crlfText;
    text.replace(u"\r\n"_s, u"\n"_s);
    return text;
}

QString currentFolderPrefix() { return u"."_s + QDir::separator(); }

} // namespace

PlaylistBuilder::PlaylistBuilder(QPlainTextEdit* text1, QLineEdit* text2, QCheckBox* check4, QObject* parent)
    : QObject(parent), m_text1(text1), m_text2(text2), m_check4(check4), m_legacyEntries(text1),
      m_playlistExt(PlaylistFormat::kM3UExt)
{
    Q_ASSERT(m_text1 && m_text2 && m_check4);
}

void PlaylistBuilder::setMessenger(Messenger messenger) { m_messenger = std::move(messenger); }

void PlaylistBuilder::InitPlaylist()
{
    StartM3U();
    // A new playlist has nothing before it for Ctrl+Z to bring back.
    m_text1->document()->clearUndoRedoStacks();
    m_playlistName.clear();
    m_playlistExt = PlaylistFormat::kM3UExt;
    m_check4->setToolTip(tr(kCheckTooltip));
}

void PlaylistBuilder::AddFile(const QString& name) { addEntry(name, false); }

void PlaylistBuilder::AddFile(const QByteArray& storedName)
{
    const FileNameText::Decoded name = FileNameText::decode(storedName);
    addEntry(name.text, name.legacy);
}

void PlaylistBuilder::addEntry(const QString& name, bool legacy)
{
    // The box would split such a name into lines, and a player would read each as an entry
    // or a directive of its own.
    if (FileNameText::breaksLine(name))
        return;
    QString entry;
    if (m_playlistExt == PlaylistFormat::kM3UExt)
        entry = PlaylistFormat::m3uEntry(name, currentFolderPrefix());
    else if (m_playlistExt == PlaylistFormat::kAsxExt)
        entry = PlaylistFormat::asxEntry(name, m_artistName, m_albumName);
    if (entry.isEmpty())
        return;

    // Append at the end of the box, starting from whatever the user left there: the cost
    // follows the entry, not the length of the playlist. A cursor of our own leaves the
    // user's caret and selection where they are. The entry gets a format of its own rather
    // than that of the text before it, which may be a marked name.
    QTextCursor cursor(m_text1->document());
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    if (legacy)
        m_legacyEntries.insert(cursor, toBoxText(entry), name);
    else
        cursor.insertText(toBoxText(entry), QTextCharFormat());
    cursor.endEditBlock();
}

void PlaylistBuilder::SetPlaylistName(const QString& text)
{
    m_playlistName = text;
    m_text2->setToolTip(text);
}

void PlaylistBuilder::FormatCheckClicked()
{
    if (m_check4->isChecked()) {
        m_playlistExt = PlaylistFormat::kM3UExt;
        m_check4->setToolTip(tr(kCheckTooltip));

        // The last four characters stand for the old extension; every occurrence of them
        // becomes ".m3u". Setting the box's text runs SetPlaylistName through its change
        // signal before the playlist is restarted.
        const QString name = m_text2->text();
        const QString old = name.right(4);
        if (!old.isEmpty()) {
            QString renamed = name;
            renamed.replace(old, PlaylistFormat::kM3UExt, Qt::CaseSensitive);
            m_text2->setText(renamed);
        }
        StartM3U();
    } else {
        m_check4->setToolTip(QString());
    }
}

QString PlaylistBuilder::savePath(const QString& folder) const
{
    return QDir::toNativeSeparators(folder) + QDir::separator()
        + FileNameText::visibleControls(m_playlistName);
}

bool PlaylistBuilder::runSave(const FolderHandle& folder, const QString& shownPath)
{
    // The writer is used by this one save only (it keeps caches); the box may change
    // meanwhile, the bytes and the name handed over do not.
    std::atomic<bool> cancel {false};
    m_writer.setCancelFlag(&cancel);
    m_cancel = &cancel;
    m_saving = true;
    m_savingPath = shownPath;
    QEventLoop loop;
    QFutureWatcher<PlaylistWriter::Result> watcher;
    connect(&watcher, &QFutureWatcherBase::finished, &loop, &QEventLoop::quit);
    QTimer progressDelay;
    progressDelay.setSingleShot(true);
    connect(&progressDelay, &QTimer::timeout, this, &PlaylistBuilder::showSaveProgress);
    progressDelay.start(kProgressDelayMs);
    watcher.setFuture(
        QtConcurrent::run([writer = &m_writer, &folder, name = m_playlistName, bytes = playlistBytes()] {
            return writer->write(folder, name, bytes);
        }));
    loop.exec();
    const bool quitting = !watcher.isFinished();
    if (quitting) {
        // The program quits (its loops were told to end): stop at the next safe point.
        cancel = true;
        watcher.waitForFinished();
    }
    progressDelay.stop();
    m_lastSave = watcher.future().takeResult();
    m_writer.setCancelFlag(nullptr);
    m_cancel = nullptr;
    m_saving = false;
    delete m_progress;
    m_progress = nullptr;
    Q_EMIT saveEnded();
    return !quitting;
}

void PlaylistBuilder::showSaveProgress()
{
    if (!m_saving)
        return;
    if (!m_progress) {
        m_progress = new SaveProgress(m_savingPath, m_text1->window());
        std::atomic<bool>* cancel = m_cancel;
        connect(m_progress, &SaveProgress::cancelClicked, this, [cancel] { *cancel = true; });
        m_progress->show();
        Q_EMIT saveProgressShown(m_progress);
    }
    m_progress->raise();
    m_progress->activateWindow();
}

void PlaylistBuilder::SavePlaylist(const FolderHandle& folder)
{
    if (m_saving) {
        showSaveProgress(); // one save at a time: the running one is shown instead
        return;
    }
    const QString where = folder.displayPath();
    const QString shownPath = where.isEmpty()
        ? tr("%1, in the folder Cantorel was started in").arg(FileNameText::visibleControls(m_playlistName))
        : savePath(where);
    if (m_playlistName.isEmpty()) {
        showMessage(SaveOutcome::NeedsName,
            tr("The playlist was not saved: it needs a file name.\n\n"
               "Type a name such as party.m3u into the file name box, then save again."));
        return;
    }

    if (!runSave(folder, shownPath))
        return; // the program quits
    const PlaylistWriter::Result& result = m_lastSave;
    // What the writer has to tell besides (older copies of the file it keeps) comes last.
    const QString told = SaveResultText::notice(result);
    const QString notice = told.isEmpty() ? QString() : u"\n\n"_s + told;
    if (!result.saved) {
        showMessage(SaveOutcome::Failed,
            tr("The playlist was not saved.\n\n%1\n\n%2").arg(shownPath, SaveResultText::reason(result))
                + notice);
        return;
    }
    // "Saved" is the whole message of a save that went well.
    const QString saved = tr("Saved");
    showMessage(SaveOutcome::Saved, told.isEmpty() ? saved : saved + u'\n' + told);
}

void PlaylistBuilder::ResetPlaylist()
{
    // One step for Ctrl+Z in the box, which brings the whole text back.
    QTextCursor step(m_text1->document());
    step.beginEditBlock();
    setPlaylistText(QString());
    if (m_check4->isChecked())
        StartM3U();
    step.endEditBlock();
}

void PlaylistBuilder::StartM3U() { setPlaylistText(PlaylistFormat::m3uHead()); }

void PlaylistBuilder::StartASX()
{
    // "Artist-Album": the artist is what comes before the first '-'; the album is the
    // folder name with every "Artist-" taken out. Without a '-' the whole name is the album.
    const qsizetype dash = m_sourceFolder.indexOf(u'-');
    if (dash >= 0) {
        m_artistName = m_sourceFolder.left(dash);
        m_albumName = m_sourceFolder;
        m_albumName.remove(m_artistName + u'-', Qt::CaseSensitive);
    } else {
        m_artistName.clear();
        m_albumName = m_sourceFolder;
    }
    setPlaylistText(PlaylistFormat::asxHead(m_artistName, m_albumName));
}

void PlaylistBuilder::StartHTML() { setPlaylistText(PlaylistFormat::htmlHead()); }

QString PlaylistBuilder::PlaylistText() const
{
    // The raw text keeps every character as typed (no-break spaces included); only the
    // box's own block separators become CR LF.
    return PlaylistFormat::withCrLf(m_text1->document()->toRawText());
}

QByteArray PlaylistBuilder::playlistBytes() const
{
    const QString tail = PlaylistFormat::tailFor(m_playlistExt);
    if (m_legacyEntries.any()) {
        // The text with marked names turned back into their bytes; what a save adds after
        // the text (CR LF and the tail) is that of an empty playlist text.
        return m_legacyEntries.textBytes() + PlaylistFormat::savedBytes(QString(), tail);
    }
    // Straight into the file's bytes: the text of a long playlist is not copied whole on
    // the way, which would cost more than writing it to the disk.
    const QTextDocument* document = m_text1->document();
    PlaylistBytesBuilder bytes(document->characterCount());
    bytes.addLine(document->toRawText());
    return bytes.finish(tail);
}

QString PlaylistBuilder::formatCaption() const
{
    return tr("%1 filename:", "the format's extension, then the file name box's caption").arg(m_playlistExt);
}

void PlaylistBuilder::setPlaylistText(const QString& text)
{
    // Replaced as one edit rather than by setPlainText, which would forget the undo history:
    // a reset or a restart is undone with Ctrl+Z like a pick. The caret goes to the start,
    // as a new text puts it.
    QTextCursor cursor(m_text1->document());
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.insertText(toBoxText(text), QTextCharFormat());
    cursor.endEditBlock();
    m_text1->moveCursor(QTextCursor::Start);
}

void PlaylistBuilder::showMessage(SaveOutcome outcome, const QString& text)
{
    if (m_messenger) {
        m_messenger(outcome, text);
        return;
    }
    // A child of the main window: the window system knows it as that window's dialog (on X11
    // a transient, on Wayland a toplevel with that parent) and places it accordingly.
    QMessageBox box(outcome == SaveOutcome::Saved ? QMessageBox::NoIcon : QMessageBox::Warning,
        kApplicationTitle, text, QMessageBox::Ok, m_text1->window());
    // A title bar the program draws itself (Qt's, on Wayland) centres the caption between
    // the window icon and three buttons; a box only as wide as "Saved" would cut it off.
    // The box sizes itself to its layout when shown, so the room is a spacer in it.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        const QFontMetrics caption(QApplication::font("QMdiSubWindowTitleBar"));
        const int width = caption.horizontalAdvance(kApplicationTitle) + 2 * kTitleBarSideRoom;
        grid->addItem(new QSpacerItem(width, 0), grid->rowCount(), 0, 1, grid->columnCount());
    }
    box.exec();
}
