// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "folderhandle.h"

// What every platform shares: a handle moves, and closes once.

FolderHandle::FolderHandle(FolderHandle&& other) noexcept
    : m_native(other.m_native), m_error(other.m_error), m_openedPath(std::move(other.m_openedPath))
{
    other.m_native = kNone;
}

FolderHandle& FolderHandle::operator=(FolderHandle&& other) noexcept
{
    if (this != &other) {
        if (m_native != kNone)
            closeNative(m_native);
        m_native = other.m_native;
        m_error = other.m_error;
        m_openedPath = std::move(other.m_openedPath);
        other.m_native = kNone;
    }
    return *this;
}

FolderHandle FolderHandle::duplicate() const
{
    FolderHandle copy;
    copy.m_error = m_error;
    copy.m_openedPath = m_openedPath;
    if (m_native != kNone)
        copy.m_native = duplicateNative(m_native, copy.m_error);
    return copy;
}

FolderHandle::~FolderHandle()
{
    if (m_native != kNone)
        closeNative(m_native);
}
