// What an operation on the problem did: how it ended, with the message to show, and which parts of
// the problem it changed, so that the document can announce them and every window refresh itself.
// Every change a user or a script makes to the problem is an operation of this folder; the
// windows and velkor-batch call them, and none of them repeats a rule written here.
#pragma once

#include <utility>

#include "model/changes.h"
#include "model/outcome.h"

namespace velkor {

struct Applied {
    Result result;
    Change changed = Change::None; // None when the problem is exactly as it was

    bool ok() const { return result.ok(); }
    bool changedAnything() const { return changed != Change::None; }

    static Applied nothing(Result result = {}) { return {std::move(result), Change::None}; }
};

} // namespace velkor
