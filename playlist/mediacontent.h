// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QByteArrayView>
#include <QString>

// Tells media content from playlist text by a file's first bytes, so that a save never
// writes over a recording whatever the file is called or linked as.
//
// Media is recognised by the signatures its containers begin with (RIFF WAVE and AVI,
// ID3 and MPEG audio frames, the ASF header of WMA and WMV, MPEG program and video
// streams, SWF, Ogg, FLAC, MP4 and other ISO media, Matroska and WebM, AIFF, FLV, MIDI)
// and, for everything else, by a NUL byte among the first kHeadSize bytes, which no
// playlist text holds. A signature made only of letters counts only together with the
// binary bytes that follow it in a real file, so any text a user could type into a
// playlist (any of its formats, any encoding without NUL bytes) is never taken for media.
namespace MediaContent {

// How many leading bytes kindOf() looks at; reading more changes nothing.
inline constexpr qsizetype kHeadSize = 4096;

// What `head` (a file's first bytes, up to kHeadSize) looks like, in words for the user
// ("WAV or AVI", "binary data", ...); empty when it may be playlist text.
QString kindOf(QByteArrayView head);

} // namespace MediaContent
