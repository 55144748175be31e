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

FolderHandle::~FolderHandle()
{
    if (m_native != kNone)
        closeNative(m_native);
}
