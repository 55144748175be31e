// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "fileattributes.h"

#include "savecommon.h"

#include <QByteArray>
#include <QFile>
#include <QList>

#include <cerrno>
#include <cstdint>

#include <sys/stat.h>
#include <sys/xattr.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// The ACLs of a file as the system stores them, among its extended attributes.
constexpr char kAclAttribute[] = "system.posix_acl_access";
constexpr char kDefaultAclAttribute[] = "system.posix_acl_default";

// The names of the file's extended attributes; empty where it has none or the file
// system keeps none. Returns false when they cannot be listed.
bool listAttributes(int fd, QList<QByteArray>& names)
{
    QByteArray list;
    for (;;) {
        const ssize_t size = ::flistxattr(fd, nullptr, 0);
        if (size < 0)
            return errno == ENOTSUP || errno == ENOSYS;
        list.resize(size);
        const ssize_t n = ::flistxattr(fd, list.data(), size_t(list.size()));
        if (n >= 0) {
            list.truncate(n);
            break;
        }
        if (errno != ERANGE)
            return false;
    }
    for (const QByteArray& name : list.split('\0')) {
        if (!name.isEmpty())
            names.append(name);
    }
    return true;
}

// One attribute's value; false when the file has none of that name.
bool attributeValue(int fd, const QByteArray& name, QByteArray& value)
{
    for (;;) {
        const ssize_t size = ::fgetxattr(fd, name.constData(), nullptr, 0);
        if (size < 0)
            return false;
        value.resize(size);
        const ssize_t n = ::fgetxattr(fd, name.constData(), value.data(), size_t(value.size()));
        if (n >= 0) {
            value.truncate(n);
            return true;
        }
        if (errno != ERANGE)
            return false;
    }
}

// The umask, read without changing it where the system tells it.
mode_t currentUmask()
{
    QFile status(u"/proc/self/status"_s);
    if (status.open(QIODevice::ReadOnly)) {
        while (!status.atEnd()) {
            const QByteArray line = status.readLine();
            if (line.startsWith("Umask:")) {
                bool ok = false;
                const uint mask = line.mid(6).trimmed().toUInt(&ok, 8);
                if (ok)
                    return mode_t(mask & 0777);
            }
        }
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

// The mode a default ACL (as stored: a version, then entries of tag, permissions and id,
// little-endian) gives a file made 0666: the owner's, the mask's (or else the owning
// group's) and the others' permissions, less execution.
bool modeFromDefaultAcl(const QByteArray& acl, mode_t& mode)
{
    constexpr int kHeader = 4;
    constexpr int kEntry = 8;
    if (acl.size() < kHeader || (acl.size() - kHeader) % kEntry != 0)
        return false;
    const auto u16 = [&](qsizetype at) {
        return uint(uint8_t(acl[at])) | uint(uint8_t(acl[at + 1])) << 8;
    };
    int user = -1, group = -1, mask = -1, other = -1;
    for (qsizetype at = kHeader; at < acl.size(); at += kEntry) {
        const uint tag = u16(at);
        const int perm = int(u16(at + 2) & 7);
        if (tag == 0x01)
            user = perm;
        else if (tag == 0x04)
            group = perm;
        else if (tag == 0x10)
            mask = perm;
        else if (tag == 0x20)
            other = perm;
    }
    if (user < 0 || group < 0 || other < 0)
        return false;
    mode = mode_t(((user & 6) << 6) | (((mask >= 0 ? mask : group) & 6) << 3) | (other & 6));
    return true;
}

} // namespace

namespace FileAttributes {

bool carry(int from, int to)
{
    QList<QByteArray> names;
    if (!listAttributes(from, names))
        return false;
    for (const QByteArray& name : std::as_const(names)) {
        QByteArray value;
        if (!attributeValue(from, name, value))
            continue; // removed meanwhile
        QByteArray present;
        if (attributeValue(to, name, present) && present == value)
            continue; // given by the system already (a security label, say)
        if (::fsetxattr(to, name.constData(), value.constData(), size_t(value.size()), 0) != 0)
            return false;
    }
    QByteArray inherited;
    if (!names.contains(QByteArray(kAclAttribute)) && attributeValue(to, kAclAttribute, inherited))
        return ::fremovexattr(to, kAclAttribute) == 0; // a default ACL of the folder
    return true;
}

mode_t newFileMode(int dir)
{
    // The folder may be held by path only, which has no attribute calls of its own.
    const QByteArray proc = SaveCommon::procPath(dir);
    QByteArray acl(1024, Qt::Uninitialized);
    const ssize_t n = ::getxattr(proc.constData(), kDefaultAclAttribute, acl.data(), size_t(acl.size()));
    mode_t mode = 0;
    if (n > 0 && modeFromDefaultAcl(acl.left(n), mode))
        return mode;
    return 0666 & ~currentUmask();
}

} // namespace FileAttributes
