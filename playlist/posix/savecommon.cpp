// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "savecommon.h"

#include <QRandomGenerator>

#include <cerrno>
#include <climits>

#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace SaveCommon {

QByteArray identityKey(const struct stat& st)
{
    return QByteArray::number(quint64(st.st_dev)) + ':' + QByteArray::number(quint64(st.st_ino));
}

QByteArray identityKey(int fd)
{
    struct stat st { };
    return ::fstat(fd, &st) == 0 ? identityKey(st) : QByteArray();
}

QByteArray procPath(int fd) { return "/proc/self/fd/"_ba + QByteArray::number(fd); }

QByteArray currentPath(int fd)
{
    struct stat st { };
    if (::fstat(fd, &st) != 0 || st.st_nlink == 0)
        return {};
    QByteArray path(PATH_MAX, Qt::Uninitialized);
    const ssize_t n = ::readlink(procPath(fd).constData(), path.data(), size_t(path.size()));
    if (n <= 0 || n >= path.size() || path.at(0) != '/')
        return {};
    path.truncate(n);
    return path;
}

QByteArray randomHex16()
{
    return QByteArray::number(QRandomGenerator::global()->generate64(), 16).rightJustified(16, '0');
}

bool meansNoPermissionBits(int error) { return error == ENOSYS || error == EOPNOTSUPP || error == EPERM; }

} // namespace SaveCommon
