// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// Cantorel: makes an M3U playlist from the media files of the folder it is started in.
#include "accessiblefactory.h"
#include "frmmain.h"
#include "frmsplash.h"
#include "maximiseguard.h"
#include "messageboxlog.h"
#include "translationloader.h"

#include <QApplication>
#include <QIcon>

#include <memory>

using namespace Qt::StringLiterals;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"Cantorel"_s);
    // What screen readers and voice control are told of the windows, before any is made.
    AccessibleFactory::install();
    TranslationLoader::install(&app);
    QApplication::setWindowIcon(QIcon(u":/assets/icon.png"_s));
    QGuiApplication::setDesktopFileName(u"org.example.cantorel"_s);
    MessageBoxLog::installFromEnvironment();
    // Qt's own title bar on Wayland offers maximise whatever the windows' hints say.
    MaximiseGuard::installOnApplication();

    // The folder to list and save into is the one the program was started in, held from
    // now on: renaming or moving it meanwhile does not send a save elsewhere.
    FolderHandle folder = FolderHandle::openWorkingDirectory();

    std::unique_ptr<frmmain> mainWindow; // created on first use, as the splash asks
    auto* splash = new frmSplash([&mainWindow, &folder] {
        if (!mainWindow)
            mainWindow = std::make_unique<frmmain>(std::move(folder));
        mainWindow->show();
    });
    splash->show();
    return app.exec();
}
