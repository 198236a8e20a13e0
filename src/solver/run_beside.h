// A step of a solve that cannot stop part-way (building a multigrid hierarchy, ordering and
// factorising a matrix), run so that a window that shows the progress stays painted meanwhile.
#pragma once

#include <chrono>
#include <future>
#include <system_error>

#include "model/feedback.h"

namespace velkor {

// Runs step on a thread of its own and repeats the progress to the feedback every 20 ms until it
// is done; without a feedback, or when no thread can be had, runs it here.
template <class Step> void runBeside(Feedback* feedback, const Progress& progress, Step step) {
    if (!feedback) {
        step();
        return;
    }
    std::future<void> done;
    try {
        done = std::async(std::launch::async, step);
    } catch (const std::system_error&) {
        step();
        return;
    }
    while (done.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready)
        feedback->progress(progress);
    done.get();
}

} // namespace velkor
