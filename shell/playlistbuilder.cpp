// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "playlistbuilder.h"

#include "filenametext.h"
#include "savemessagebox.h"
#include "saveprogress.h"
#include "saveresulttext.h"

#include <QCheckBox>
#include <QDir>
#include <QEventLoop>
#include <QFutureWatcher>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTextDocument>

using namespace Qt::Literals::StringLiterals;

namespace {

const char* const kCheckTooltip = QT_TRANSLATE_NOOP("PlaylistBuilder", "Save as m3u file");

} // namespace

PlaylistBuilder::PlaylistBuilder(QPlainTextEdit* text1, QLineEdit* text2, QCheckBox* check4, QObject* parent)
    : QObject(parent), m_text1(text1), m_text2(text2), m_check4(check4), m_box(text1), m_playlist(&m_box)
{
    Q_ASSERT(m_text1 && m_text2 && m_check4);
}

void PlaylistBuilder::setMessenger(Messenger messenger) { m_messenger = std::move(messenger); }

void PlaylistBuilder::InitPlaylist()
{
    m_playlist.start();
    // A new playlist has nothing before it for Ctrl+Z to bring back.
    m_text1->document()->clearUndoRedoStacks();
    m_check4->setToolTip(tr(kCheckTooltip));
}

void PlaylistBuilder::AddFile(const QString& name) { m_playlist.addFile(name); }

void PlaylistBuilder::AddFile(const QByteArray& storedName) { m_playlist.addFile(storedName); }

void PlaylistBuilder::SetPlaylistName(const QString& text)
{
    m_playlist.setName(text);
    m_text2->setToolTip(text);
}

void PlaylistBuilder::showName()
{
    const QString& name = m_playlist.name();
    if (m_text2->text() != name) {
        // Shown, not typed: the name is the playlist's already.
        const QSignalBlocker shown(m_text2);
        m_text2->setText(name);
    }
    m_text2->setToolTip(name);
}

void PlaylistBuilder::FormatCheckClicked()
{
    if (m_check4->isChecked()) {
        m_playlist.useM3U();
        m_check4->setToolTip(tr(kCheckTooltip));
        showName();
    } else {
        m_check4->setToolTip(QString());
    }
}

QString PlaylistBuilder::savePath(const QString& folder) const
{
    return QDir::toNativeSeparators(folder) + QDir::separator()
        + FileNameText::visibleControls(m_playlist.name());
}

std::optional<SaveTypes::Result> PlaylistBuilder::runSave(
    const FolderHandle& folder, const QString& shownPath)
{
    // The writer is used by this one save only (it keeps caches); the box may change
    // meanwhile, the bytes and the name handed over do not.
    std::atomic<bool> cancel {false};
    PlaylistWriter& writer = m_playlist.writer();
    writer.setCancelFlag(&cancel);
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
        QtConcurrent::run([writer = &writer, &folder, name = m_playlist.name(), bytes = m_playlist.bytes()] {
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
    SaveTypes::Result result = watcher.future().takeResult();
    writer.setCancelFlag(nullptr);
    m_cancel = nullptr;
    m_saving = false;
    delete m_progress;
    m_progress = nullptr;
    Q_EMIT saveEnded(result);
    if (quitting)
        return std::nullopt;
    return result;
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
    const QString shownPath = where.isEmpty() ? tr("%1, in the folder Cantorel was started in")
                                                    .arg(FileNameText::visibleControls(m_playlist.name()))
                                              : savePath(where);
    if (m_playlist.name().isEmpty()) {
        showMessage(SaveOutcome::NeedsName,
            tr("The playlist was not saved: it needs a file name.\n\n"
               "Type a name such as party.m3u into the file name box, then save again."));
        return;
    }

    const std::optional<SaveTypes::Result> ended = runSave(folder, shownPath);
    if (!ended)
        return; // the program quits
    const SaveTypes::Result& result = *ended;
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

void PlaylistBuilder::ResetPlaylist() { m_playlist.reset(m_check4->isChecked()); }

QString PlaylistBuilder::formatCaption() const
{
    return tr("%1 filename:", "the format's extension, then the file name box's caption")
        .arg(m_playlist.ext());
}

void PlaylistBuilder::showMessage(SaveOutcome outcome, const QString& text)
{
    if (m_messenger) {
        m_messenger(outcome, text);
        return;
    }
    SaveMessageBox box(
        outcome == SaveOutcome::Saved ? QMessageBox::NoIcon : QMessageBox::Warning, text, m_text1->window());
    box.exec();
}
