// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#include "heaptrim.h"

namespace HeapTrim {

// Allocators without a way to be asked: they give freed memory back when they see fit.
void giveBackFreed() { }

} // namespace HeapTrim
