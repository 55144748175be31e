// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <string>

// The host's own mount table.
class MountTable
{
public:
    virtual ~MountTable() = default;
    virtual std::string describe() const { return "host mount table"; }
};
