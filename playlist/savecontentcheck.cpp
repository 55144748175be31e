// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "savecontentcheck.h"

#include "mediacontent.h"

using namespace Qt::Literals::StringLiterals;

namespace SaveContentCheck {

qsizetype headSize()
{
    return MediaContent::kHeadSize;
}

QString refusal(QByteArrayView head)
{
    const QString kind = MediaContent::kindOf(head);
    if (kind.isEmpty())
        return {};
    return u"The file looks like a media file (%1), not a playlist, and a playlist never "
           "overwrites one."_s.arg(kind);
}

} // namespace SaveContentCheck
