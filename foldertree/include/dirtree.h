#pragma once

/// @file
/// Kept for hosts written against earlier versions: includes <DirTree/dirtree.h>.

#include "DirTree/dirtree.h"
