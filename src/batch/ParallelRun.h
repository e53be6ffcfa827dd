#pragma once

#include <cstddef>
#include <functional>

namespace pf::batch {

// The step left of an input once it is prepared: the part that mostly waits for the disk.
using FinishStep = std::function<void()>;

// Runs the inputs 0 to count - 1 of a batch: prepare(i) for each, in order, on `jobs` threads
// (the work that needs a processor), and the step it returns, which mostly waits for the disk,
// on more threads beside them, so that the flushes of many files overlap. deliver(i) is called
// on the calling thread once the step of input i has run, in the order of the inputs, each as
// soon as the ones before it are delivered (the step leaves its outcome where deliver finds it); while it waits, waiting(finished) is called about ten times a
// second with the number of inputs finished so far. At most `inFlight` inputs (at least one)
// are between the start of their prepare and the end of their step at any time, whatever
// `jobs` is, so a run keeps within the descriptors it may open. With one input everything runs
// on the calling thread.
void runInOrder(size_t count, unsigned jobs, size_t inFlight, const std::function<FinishStep(size_t)>& prepare,
                const std::function<void(size_t)>& deliver,
                const std::function<void(size_t finished)>& waiting);

}  // namespace pf::batch
