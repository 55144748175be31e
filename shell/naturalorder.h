#pragma once

#include <QStringView>

#include <string>

// The order of the file list: natural (numbers by value, "Track 2" before "Track 10") and
// without regard to letter case or accents ("élan" between "eagle" and "fable").
//
// Each name becomes a key once; keys compare as plain char16_t strings, so sorting a
// folder of 100,000 names costs a fraction of what the locale's collation keys cost to
// build and compare. Punctuation and blanks come first, then numbers, then letters by
// their base letter; letters of other scripts follow in the order of their code points.
// Names with equal keys ("Song", "song", "Song" with a leading zero) are left for the
// caller to order.
class NaturalOrder
{
public:
    // Appends the key of `name` to `keys`. No weight of a key is zero.
    static void appendKey(QStringView name, std::u16string& keys);
};
