// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

// Memory the program has freed, given back to the system.
namespace HeapTrim {

// Gives the system back the memory that the program has freed but the allocator keeps for
// later (after a big folder is read and sorted, tens of megabytes: the allocator keeps big
// blocks freed by a worker thread, and the pieces a growing list left behind). Nothing
// where the allocator gives freed memory back by itself or cannot be asked. Safe on any
// thread; takes some milliseconds for a heap of a hundred megabytes.
void giveBackFreed();

} // namespace HeapTrim
