// SPDX-FileCopyrightText: 2026 The Cantorel developers
//
// SPDX-License-Identifier: MIT

#pragma once

#include <string>
#include <vector>

// The host's own image list.
class ImageList
{
public:
    virtual ~ImageList() = default;
    virtual int count() const { return static_cast<int>(m_names.size()); }
    void add(std::string name) { m_names.push_back(std::move(name)); }

private:
    std::vector<std::string> m_names;
};
