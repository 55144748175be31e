// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include "playlistdocument.h"

// A playlist's text held in memory, for a playlist that no window shows.
class PlainPlaylistDocument : public PlaylistDocument
{
public:
    void replace(const Fragments& fragments) override;
    void append(const Fragments& fragments) override;
    void walk(const std::function<void(QStringView text, bool listedName)>& fragment,
        const std::function<void()>& lineEnd) const override;
    qsizetype characterCount() const override;

private:
    Fragments m_fragments;
};
