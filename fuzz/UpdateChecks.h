// The fuzz target's checks of the search for unlisted files and of the update, each against a
// model of its own, for the checkfile the input wrote into the tree.
#pragma once

#include <cstddef>

#include "fuzz/FuzzTree.h"
#include "platform/FileTime.h"

namespace fuzz_checks {

// Every walked file is either listed or reported, in walk order, and nothing else is.
void CheckUnlistedSearch(Tree& tree, JailHooks& hooks, const Lines& lines, size_t size);

// The update logs and writes exactly what the model predicts for the files the walk finds (kept
// unread, digested, added, changed, kept after a failure) and removes exactly the entries it does
// not find. The input's length decides whether the checkfile's time lies an hour after the
// files were made (they count as unchanged) or an hour before.
void CheckUpdate(Tree& tree, JailHooks& hooks, const Lines& lines, size_t size,
                 platform::FileTime created);

}  // namespace fuzz_checks
