// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "filenametext.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// Every byte a file name may hold reads as one character and turns back into itself.
TEST(FileNameTextTest, EveryByteRoundTrips)
{
    QByteArray bytes;
    for (int b = 1; b < 256; ++b) {
        if (b != '/')
            bytes += char(b);
    }
    const FileNameText::Decoded name = FileNameText::decode(bytes);
    EXPECT_TRUE(name.legacy);
    EXPECT_EQ(name.text.size(), bytes.size());
    EXPECT_FALSE(name.text.contains(QChar::ReplacementCharacter));
    EXPECT_EQ(FileNameText::legacyBytes(name.text), bytes);
    // What the code page cannot hold, typed by hand into such a name, is written as UTF-8.
    EXPECT_EQ(FileNameText::legacyBytes(u"a\u266B\U0001F3B5b"_s),
        QByteArray("a\xe2\x99\xab\xf0\x9f\x8e\xb5"
                   "b"));
}

} // namespace
