// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include "folderhandle.h"
#include "windowpicture.h"

#include <QString>
#include <QWidget>

#include <memory>

class ClickArea;
class FileListModel;
class FileListView;
class PlaylistBuilder;
class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QTimer;

// The program's working window. A fixed-size window drawn by its background picture: the
// picture paints the panels, the headings and the words SAVE, RESET and the cross, and
// transparent click areas lie over those words. Every playlist event goes to the
// PlaylistBuilder; the window itself owns only its controls, their layout and leaving.
//
// Creating the window runs Form_Load (centring, then the builder's InitPlaylist), so a new
// window is ready to show. Its file list holds the media files of its folder as they were
// at that moment, read by a worker thread: until they are all there, the list's place
// says how many were found (and so does its accessible description), or why the folder
// cannot be read. Playlists are saved into that folder; closing the window during a save
// waits for the save to end.
class frmmain : public QWidget
{
    Q_OBJECT
public:
    // `folder` is the folder to list and save into; the program passes the working
    // directory it opened at start-up. Without one, the working directory is opened now.
    explicit frmmain(FolderHandle folder, QWidget* parent = nullptr);
    explicit frmmain(QWidget* parent = nullptr);
    ~frmmain() override;

    FileListView* File1() const { return m_file1; }
    QPlainTextEdit* Text1() const { return m_text1; }
    QLineEdit* Text2() const { return m_text2; }
    QCheckBox* Check4() const { return m_check4; }
    ClickArea* cmdSave() const { return m_cmdSave; }
    ClickArea* cmdReset() const { return m_cmdReset; }
    ClickArea* cmdExit() const { return m_cmdExit; }
    PlaylistBuilder& builder() const { return *m_builder; }

    // The folder File1 lists, where playlists are saved.
    const FolderHandle& folder() const { return m_folder; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    // Names the listed folder, as it is called now, in File1's tooltip and description.
    void nameListedFolder();
    // Says in File1's place how the reading of the folder goes.
    void showReading();
    void File1_Listed(int error);
    void File1_Click();
    void Text2_Change(const QString& text);
    void Check4_Click();
    void cmdSave_Click();
    void cmdReset_Click();
    void cmdExit_Click();

    FolderHandle m_folder;
    WindowPicture m_picture;
    FileListModel* m_files = nullptr;
    FileListView* m_file1 = nullptr;
    QPlainTextEdit* m_text1 = nullptr;
    QLineEdit* m_text2 = nullptr;
    QCheckBox* m_check4 = nullptr;
    ClickArea* m_cmdReset = nullptr;
    ClickArea* m_cmdSave = nullptr;
    ClickArea* m_cmdExit = nullptr;
    std::unique_ptr<PlaylistBuilder> m_builder;
    QTimer* m_readingTicks = nullptr;
    int m_readingSpoken = 0;
    bool m_closeAfterSave = false;
};
