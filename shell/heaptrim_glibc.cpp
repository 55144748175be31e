// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "heaptrim.h"

#include <malloc.h>

namespace HeapTrim {

// glibc keeps freed memory in its arenas (one per thread that allocated), and after big
// blocks were freed it raises the size from which it maps blocks of their own: so even
// tens of megabytes stay resident. malloc_trim hands every arena's free pages back.
void giveBackFreed() { ::malloc_trim(0); }

} // namespace HeapTrim
