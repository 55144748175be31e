// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

// Built from every object of the core and every core header (corealone_headers.h,
// generated), linked to Qt Core alone: the build fails where the core reaches for Gui,
// Widgets or the windows (on POSIX systems it links the system's ACL library besides, and
// nothing else). Run, it checks the core's link libraries as CMake gives them and
// that the media files' rule and a playlist's bytes answer without a GUI application.

#include "corealone_headers.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstring>

using namespace Qt::Literals::StringLiterals;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    for (int i = 1; i < argc; ++i) {
#ifdef CANTOREL_ACL_LIBRARY
        if (std::strcmp(argv[i], CANTOREL_ACL_LIBRARY) == 0
            || std::strcmp(argv[i], "$<LINK_ONLY:" CANTOREL_ACL_LIBRARY ">") == 0)
            continue;
#endif
        if (std::strcmp(argv[i], "Qt6::Core") != 0) {
            std::fprintf(stderr, "cantorel_core links %s besides Qt6::Core\n", argv[i]);
            return 1;
        }
    }
    Playlist playlist;
    playlist.start();
    if (!FileNamePatterns::media().matches(u"a.MP3"_s) || playlist.bytes() != "#EXTM3U\r\n") {
        std::fprintf(stderr, "the core answers wrongly without a GUI application\n");
        return 1;
    }
    return 0;
}
