// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QByteArray>
#include <QString>

// A folder of a test's own under the temporary folder, removed with all it holds when the
// test ends, whatever the bytes of the names in it. QTemporaryDir removes by decoded names
// and leaves behind any name that is not UTF-8; std::filesystem removes by the names' own
// bytes.
class ScratchFolder
{
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    bool isValid() const { return !m_path.isEmpty(); }
    QString path() const;
    QString filePath(const QString& name) const;

    // Removes everything below `path` (the folder itself too), by the names' bytes; true
    // when nothing is left.
    static bool removeTree(const QByteArray& path);

private:
    QByteArray m_path;
};
