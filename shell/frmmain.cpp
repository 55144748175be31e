// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "frmmain.h"

#include "clickarea.h"
#include "filelistmodel.h"
#include "filelistview.h"
#include "filenamepatterns.h"
#include "filenametext.h"
#include "heaptrim.h"
#include "module1.h"
#include "playlistbuilder.h"
#include "playlisttextedit.h"
#include "twips.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QEvent>
#include <QIcon>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QLocale>
#include <QShortcut>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// The words here are translated where they are used (tr()).
const char* const kCaption = QT_TRANSLATE_NOOP("frmmain", "Playlist maker");
const char* const kCheck4Caption = QT_TRANSLATE_NOOP("frmmain", "m3u");
const QString kBackground = u":/assets/background.png"_s;
const QString kIcon = u":/assets/icon.png"_s;

// The design, in twips.
constexpr int kClientWidth = 5940;
constexpr int kClientHeight = 4485;
constexpr Twips::Rect kFile1 {120, 360, 2775, 3210};
constexpr Twips::Rect kText1 {3009, 360, 2882, 3255};
constexpr Twips::Rect kText2 {120, 4050, 3735, 375};
constexpr Twips::Rect kCheck4 {4920, 4560, 735, 255}; // below the client area: reached by Tab only
constexpr Twips::Rect kCmdReset {4920, 4080, 975, 255};
constexpr Twips::Rect kCmdSave {4080, 4080, 855, 255};
constexpr Twips::Rect kCmdExit {5640, 0, 375, 255};

// How often the count of files found shows while the folder is read, and at which tick
// (of how many) assistive technology is told it.
constexpr int kReadingTickMs = 100;
constexpr int kReadingTicksSpoken = 10;

// What assistive technology reads for each control, by the control's name: the painted
// words are pixels only.
struct Spoken {
    const char* control;
    const char* name;
    const char* description;
};
const Spoken kSpoken[] = {
    {"File1", QT_TRANSLATE_NOOP("frmmain", "Media files"),
        QT_TRANSLATE_NOOP("frmmain", "The media files of the folder; picking one adds it to the playlist")},
    {"Text1", QT_TRANSLATE_NOOP("frmmain", "Playlist"),
        QT_TRANSLATE_NOOP("frmmain", "The playlist's text, one picked file per line; it may be edited")},
    {"Text2", QT_TRANSLATE_NOOP("frmmain", "Playlist file name"),
        QT_TRANSLATE_NOOP("frmmain", "The name the playlist is saved under in the listed folder")},
    {"Check4", QT_TRANSLATE_NOOP("frmmain", "M3U format"),
        QT_TRANSLATE_NOOP(
            "frmmain", "Checking it makes the file name end in .m3u and starts the playlist anew")},
    {"cmdSave", QT_TRANSLATE_NOOP("frmmain", "Save playlist"),
        QT_TRANSLATE_NOOP("frmmain", "Saves the playlist into the listed folder under the typed name")},
    {"cmdReset", QT_TRANSLATE_NOOP("frmmain", "Reset playlist"),
        QT_TRANSLATE_NOOP("frmmain", "Empties the playlist and starts it anew")},
    {"cmdExit", QT_TRANSLATE_NOOP("frmmain", "Exit"),
        QT_TRANSLATE_NOOP("frmmain", "Leaves the program at once, without saving")},
};
// The same description of File1, naming the listed folder; and the list's tooltip.
const char* const kFile1FolderDescription = QT_TRANSLATE_NOOP(
    "frmmain", "The media files of %1, where playlists are saved; picking one adds it to the playlist");
const char* const kFile1FolderTip
    = QT_TRANSLATE_NOOP("frmmain", "The media files of %1\nPlaylists are saved into this folder.");
const char* const kNoFolderPath = QT_TRANSLATE_NOOP("frmmain", "the folder Cantorel was started in");

} // namespace

frmmain::frmmain(QWidget* parent) : frmmain(FolderHandle::openWorkingDirectory(), parent) { }

frmmain::frmmain(FolderHandle folder, QWidget* parent)
    : QWidget(parent, Qt::Window), m_folder(std::move(folder)), m_picture(kBackground)
{
    // A fixed single border: title and close button, no sizing, no minimise or maximise.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
        | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setWindowTitle(tr(kCaption));
    setWindowIcon(QIcon(kIcon));
    setFixedSize(Twips::toPixels(kClientWidth), Twips::toPixels(kClientHeight));
    setAttribute(Qt::WA_OpaquePaintEvent); // the picture covers every pixel

    // Design order: the tab order follows it (File1, Text1, Text2, Check4), and of the
    // overlapping click areas the later one, cmdSave, lies on top in their shared strip.
    m_files = new FileListModel(this);
    m_file1 = new FileListView(this);
    m_file1->setObjectName(u"File1"_s);
    m_file1->setModel(m_files);
    m_file1->setFrameShape(QFrame::NoFrame);
    m_file1->setGeometry(Twips::toPixels(kFile1));
    // The folder is read by a worker: a folder on a slow or dead share must not keep the
    // window from appearing and answering. It starts before the rest of the window is
    // made, which a big folder's reading then hides.
    connect(m_files, &FileListModel::readFinished, this, &frmmain::File1_Listed);
    m_files->readInBackground(m_folder, FileNamePatterns::media());
    m_readingTicks = new QTimer(this);
    m_readingTicks->setInterval(kReadingTickMs);
    connect(m_readingTicks, &QTimer::timeout, this, &frmmain::showReading);
    m_readingTicks->start();
    showReading();

    m_text1 = new PlaylistTextEdit(this);
    m_text1->setObjectName(u"Text1"_s);
    m_text1->setFrameShape(QFrame::NoFrame);
    m_text1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_text1->setTabChangesFocus(true);
    m_text1->setGeometry(Twips::toPixels(kText1));

    m_text2 = new QLineEdit(this);
    m_text2->setObjectName(u"Text2"_s);
    m_text2->setFrame(false);
    m_text2->setGeometry(Twips::toPixels(kText2));

    m_check4 = new QCheckBox(tr(kCheck4Caption), this);
    m_check4->setObjectName(u"Check4"_s);
    m_check4->setChecked(true);
    m_check4->setGeometry(Twips::toPixels(kCheck4));

    m_cmdReset = new ClickArea(this);
    m_cmdReset->setObjectName(u"cmdReset"_s);
    m_cmdReset->setGeometry(Twips::toPixels(kCmdReset));
    m_cmdSave = new ClickArea(this);
    m_cmdSave->setObjectName(u"cmdSave"_s);
    m_cmdSave->setGeometry(Twips::toPixels(kCmdSave));
    m_cmdExit = new ClickArea(this);
    m_cmdExit->setObjectName(u"cmdExit"_s);
    m_cmdExit->setGeometry(Twips::toPixels(kCmdExit));

    for (const Spoken& spoken : kSpoken) {
        auto* control = findChild<QWidget*>(QString::fromLatin1(spoken.control), Qt::FindDirectChildrenOnly);
        Q_ASSERT(control);
        control->setAccessibleName(tr(spoken.name));
        control->setAccessibleDescription(tr(spoken.description));
    }

    setTabOrder(m_file1, m_text1);
    setTabOrder(m_text1, m_text2);
    setTabOrder(m_text2, m_check4);

    // Ctrl+Y redoes in the name box too, as in the playlist box, whatever the desktop's key
    // scheme (Qt binds it to redo only in the Windows one, where the box takes it first).
    auto* redoName
        = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y), m_text2, nullptr, nullptr, Qt::WidgetShortcut);
    connect(redoName, &QShortcut::activated, m_text2, &QLineEdit::redo);

    m_builder = std::make_unique<PlaylistBuilder>(m_text1, m_text2, m_check4);

    connect(m_file1, &FileListView::picked, this, &frmmain::File1_Click);
    connect(m_text2, &QLineEdit::textChanged, this, &frmmain::Text2_Change);
    connect(m_check4, &QCheckBox::toggled, this, &frmmain::Check4_Click);
    connect(m_cmdSave, &ClickArea::Click, this, &frmmain::cmdSave_Click);
    connect(m_cmdReset, &ClickArea::Click, this, &frmmain::cmdReset_Click);
    connect(m_cmdExit, &ClickArea::Click, this, &frmmain::cmdExit_Click);

    Form_Load();
    m_file1->setFocus(Qt::OtherFocusReason);
}

void frmmain::showReading()
{
    if (!m_files->isReading())
        return;
    const qsizetype found = m_files->filesFound();
    m_file1->setPlaceholderText(
        tr("Reading the folder…\nMedia files found so far: %1").arg(QLocale().toString(found)));
    // Said to assistive technology too, but not at every tick.
    if (m_readingSpoken++ % kReadingTicksSpoken == 0)
        nameListedFolder();
}

void frmmain::File1_Listed(int error)
{
    m_readingTicks->stop();
    m_file1->doItemsLayout(); // its scroll bar fits the whole list at its first paint
    // What the read and the layout freed (for a million files, tens of megabytes) goes back
    // to the system: the list lives as long as the window.
    HeapTrim::giveBackFreed();
    m_file1->setPlaceholderText(
        error == 0 ? QString() : tr("This folder cannot be read: %1.").arg(qt_error_string(error)));
    nameListedFolder();
}

void frmmain::closeEvent(QCloseEvent* event)
{
    // A save that runs is waited for (its progress window offers Cancel); the window
    // closes once it has ended.
    if (m_builder->isSaving()) {
        m_closeAfterSave = true;
        m_builder->showSaveProgress();
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void frmmain::nameListedFolder()
{
    // A path may be thousands of characters long; its start and its end (the folder's own
    // name) tell the folder, so a long one is cut in the middle.
    constexpr qsizetype kShownStart = 60;
    constexpr qsizetype kShownEnd = 100;
    QString shown = FileNameText::visibleControls(m_folder.displayPath());
    if (shown.isEmpty())
        shown = tr(kNoFolderPath);
    else if (shown.size() > kShownStart + kShownEnd + 1) {
        // Not between the two halves of a character outside the BMP.
        const qsizetype start = kShownStart - (shown.at(kShownStart - 1).isHighSurrogate() ? 1 : 0);
        const qsizetype end = kShownEnd - (shown.at(shown.size() - kShownEnd).isLowSurrogate() ? 1 : 0);
        shown = shown.first(start) + u'\u2026' + shown.last(end);
    }
    m_file1->setToolTip(tr(kFile1FolderTip).arg(shown));
    // While the list is read, or when it cannot be, what its place says comes first.
    const QString status = m_file1->placeholderText();
    const QString description = tr(kFile1FolderDescription).arg(shown);
    m_file1->setAccessibleDescription(status.isEmpty() ? description : status + u' ' + description);
}

void frmmain::changeEvent(QEvent* event)
{
    // The folder may have been renamed or moved meanwhile (saves follow it): say where it
    // is now whenever the user comes back to the window.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        nameListedFolder();
    QWidget::changeEvent(event);
}

frmmain::~frmmain() = default;

void frmmain::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    m_picture.paint(painter); // unscaled; its right and bottom edges lie outside
}

void frmmain::Form_Load()
{
    Module1::CenterForm(*this);
    m_builder->InitPlaylist();
}

void frmmain::File1_Click()
{
    // The name as stored, so that a name that is not UTF-8 is saved as its own bytes.
    const QByteArray name = m_files->fileNameBytes(m_file1->currentIndex().row());
    if (!name.isEmpty())
        m_builder->AddFile(name);
}

void frmmain::Text2_Change(const QString& text) { m_builder->SetPlaylistName(text); }

void frmmain::Check4_Click() { m_builder->FormatCheckClicked(); }

void frmmain::cmdSave_Click()
{
    m_builder->SavePlaylist(m_folder);
    if (m_closeAfterSave && !m_builder->isSaving()) {
        m_closeAfterSave = false;
        close();
    }
}

void frmmain::cmdReset_Click() { m_builder->ResetPlaylist(); }

void frmmain::cmdExit_Click()
{
    // Ends the program at once: no question, nothing saved, no close handling.
    QCoreApplication::exit(0);
}
