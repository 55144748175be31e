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

#include <acl/libacl.h>
#include <sys/acl.h>
#include <sys/stat.h>
#include <sys/xattr.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// The ACLs of a file as the system stores them, among its extended attributes.
constexpr char kAclAttribute[] = "system.posix_acl_access";

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

std::optional<std::vector<AclEntry>> acl(int fd, AclKind kind)
{
    // The folder may be held by path only, which has no attribute calls of its own.
    const acl_t acl = ::acl_get_file(
        SaveCommon::procPath(fd).constData(), kind == AclKind::Access ? ACL_TYPE_ACCESS : ACL_TYPE_DEFAULT);
    if (!acl)
        return std::nullopt;
    if (kind == AclKind::Access && ::acl_equiv_mode(acl, nullptr) == 0) {
        ::acl_free(acl); // the mode bits say it all
        return std::nullopt;
    }
    std::vector<AclEntry> entries;
    acl_entry_t entry = nullptr;
    for (int which = ACL_FIRST_ENTRY; ::acl_get_entry(acl, which, &entry) == 1; which = ACL_NEXT_ENTRY) {
        AclEntry out;
        acl_tag_t tag = ACL_UNDEFINED_TAG;
        acl_permset_t permissions = nullptr;
        if (::acl_get_tag_type(entry, &tag) != 0 || ::acl_get_permset(entry, &permissions) != 0)
            continue;
        out.tag = tag == ACL_USER_OBJ ? AclEntry::Owner
            : tag == ACL_USER         ? AclEntry::User
            : tag == ACL_GROUP_OBJ    ? AclEntry::OwningGroup
            : tag == ACL_GROUP        ? AclEntry::Group
            : tag == ACL_MASK         ? AclEntry::Mask
                                      : AclEntry::Others;
        out.read = ::acl_get_perm(permissions, ACL_READ) == 1;
        out.write = ::acl_get_perm(permissions, ACL_WRITE) == 1;
        if (tag == ACL_USER || tag == ACL_GROUP) {
            void* id = ::acl_get_qualifier(entry);
            if (id) {
                out.id = tag == ACL_USER ? *static_cast<uid_t*>(id) : *static_cast<gid_t*>(id);
                ::acl_free(id);
            }
        }
        entries.push_back(out);
    }
    ::acl_free(acl);
    if (entries.empty())
        return std::nullopt;
    return entries;
}

mode_t newFileMode(int dir)
{
    // A default ACL gives a file made 0666 the owner's, the mask's (or else the owning
    // group's) and the others' permissions, less execution.
    if (const auto entries = acl(dir, AclKind::Default)) {
        int owner = -1, group = -1, mask = -1, others = -1;
        for (const AclEntry& e : *entries) {
            const int bits = (e.read ? 4 : 0) | (e.write ? 2 : 0);
            switch (e.tag) {
            case AclEntry::Owner: owner = bits; break;
            case AclEntry::OwningGroup: group = bits; break;
            case AclEntry::Mask: mask = bits; break;
            case AclEntry::Others: others = bits; break;
            case AclEntry::User:
            case AclEntry::Group: break;
            }
        }
        if (owner >= 0 && group >= 0 && others >= 0)
            return mode_t((owner << 6) | ((mask >= 0 ? mask : group) << 3) | others);
    }
    return 0666 & ~currentUmask();
}

} // namespace FileAttributes
