// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

// What an existing file must hold for a save to write over it: never media nor other binary
// data, whatever the file is called or linked as (MediaContent tells by the first bytes).
namespace SaveContentCheck {

// How many leading bytes of the file refusal() wants.
qsizetype headSize();

// Why a playlist must not be written over a file whose first bytes are `head`, in a
// sentence for the user; empty when it may.
QString refusal(QByteArrayView head);

} // namespace SaveContentCheck
