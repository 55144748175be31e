// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "savecontentcheck.h"

#include "mediacontent.h"

namespace SaveContentCheck {

qsizetype headSize()
{
    return MediaContent::kHeadSize;
}

QString refusal(QByteArrayView head)
{
    const MediaContent::Verdict verdict = MediaContent::classify(head);
    return verdict.kind == MediaContent::Kind::Text ? QString() : verdict.refusal();
}

} // namespace SaveContentCheck
