// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QByteArrayView>

// Tells media content from playlist text by a file's first bytes, so that a save never
// writes over a recording whatever the file is called or linked as.
//
// Media is recognised by the signatures its containers begin with (RIFF WAVE and AVI,
// ID3 and MPEG audio frames, AAC in ADTS, the ASF header of WMA and WMV, MPEG program and
// video streams, SWF, Ogg, FLAC, MP4 and other ISO media, Matroska and WebM, AIFF, FLV,
// MIDI). A signature that text could begin with counts only once the structure behind it
// holds: an ID3 tag's version, flags and size; FLAC's first metadata block header; a
// second MPEG or ADTS frame exactly where the first one ends, or a Xing, Info or VBRI header
// in the first; the binary size fields after letters. So text a user could type into a
// playlist, in any encoding without NUL bytes, is never taken for media.
//
// UTF-16 and UTF-32 text that begins with its byte-order mark is text, whatever signature
// its bytes form, as long as no character of it is NUL and its units are well formed
// (surrogates in pairs); behind a mark, anything else is media or binary data. Anything else
// holding a NUL among the first kHeadSize bytes is binary data, which no playlist text holds.
namespace MediaContent {

// How many leading bytes classify() looks at; reading more changes nothing.
inline constexpr qsizetype kHeadSize = 4096;

enum class Kind {
    Text,   // may be playlist text: a playlist may be written over it
    Media,  // a media file's signature with its structure
    Binary, // no media signature, but bytes no playlist text holds
};

// The media formats told apart; the program names them for the user.
enum class Format {
    None, // text or binary data
    WavOrAvi,
    Mp3,
    MpegAudio,
    Aac,
    WmaOrWmv,
    MpegVideo,
    Swf,
    Ogg,
    Flac,
    Mp4,
    MatroskaOrWebm,
    Aiff,
    Flv,
    Midi,
};

struct Verdict {
    Kind kind = Kind::Text;
    Format format = Format::None; // for media only
};

// What `head` (a file's first bytes, up to kHeadSize) holds.
Verdict classify(QByteArrayView head);

} // namespace MediaContent
