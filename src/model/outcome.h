// How an operation of the program ended: one outcome for every operation of the core, with the
// message to show. Callers decide by the outcome, never by the text of the message.
#pragma once

#include <string>
#include <utility>

namespace velkor {

enum class Outcome {
    Done,            // the operation did what was asked
    NothingToDo,     // there was nothing to work on (no particles to track); nothing changed
    RefusedCapacity, // a table or the matrix would pass its capacity; the message says which limit
                     // to raise
    RefusedGeometry, // the geometry does not allow it (a node inside a block, no triangle closed,
                     // a well outside the mesh); the blocks and the mesh are as they were
    BadInput,        // the input cannot be used: a malformed or impossible datafile line, a
                     // reference outside the tables, a degenerate problem; nothing changed
    OutOfMemory,     // the memory for the work could not be had; nothing changed
    FileError,       // a file could not be opened, read or written; the old file is intact
    Cancelled,       // the user stopped the operation; what it leaves is stated where it is declared
    NotConverged,    // an iteration ended without the accuracy it aims at; its result is kept
    LimitReached,    // a run stopped at its bound (the sweeps of a tracking run)
    Busy             // a long run holds the problem (a solve, a Split pass, printing); nothing was done
};

// Outcome and message of one operation. The message is the program's own text (Windows-1252),
// empty when there is nothing to say.
struct Result {
    Outcome outcome = Outcome::Done;
    std::string message;

    bool ok() const { return outcome == Outcome::Done; }

    static Result done() { return {}; }
    static Result failed(Outcome outcome, std::string message) { return {outcome, std::move(message)}; }
};

} // namespace velkor
