// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "scratchfolder.h"

#include <QDir>
#include <QFile>

#include <cstdlib>
#include <filesystem>
#include <system_error>

ScratchFolder::ScratchFolder()
{
    QByteArray pattern = QFile::encodeName(QDir::tempPath()) + "/Cantorel-XXXXXX";
    if (::mkdtemp(pattern.data()))
        m_path = pattern;
}

ScratchFolder::~ScratchFolder()
{
    if (isValid())
        removeTree(m_path);
}

QString ScratchFolder::path() const { return QFile::decodeName(m_path); }

QString ScratchFolder::filePath(const QString& name) const { return path() + u'/' + name; }

bool ScratchFolder::removeTree(const QByteArray& path)
{
    // A path is bytes on POSIX systems: names in no encoding are removed as any other.
    std::error_code error;
    std::filesystem::remove_all(std::filesystem::path(path.toStdString()), error);
    return !error && !std::filesystem::exists(std::filesystem::symlink_status(path.toStdString(), error));
}
