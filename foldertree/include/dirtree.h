// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

/// @file
/// Kept for hosts written against earlier versions: includes <DirTree/dirtree.h>.

#include "DirTree/dirtree.h"
