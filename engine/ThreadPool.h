// A small pool of threads, started once and kept, that runs the numbered tasks of one piece of
// work at a time; the calling thread works beside its helpers. The fast path of the frame draws
// its strips on it.
#pragma once

#include <cstdint>
#include <functional>

namespace pool {

// Most threads a piece of work runs on, the calling one included.
inline constexpr int32_t kMaxThreads = 64;

// The threads that a request of `wanted` threads gets: `wanted` itself from 1 to kMaxThreads,
// kMaxThreads above it, one per core of the machine (at least 1) for 0 and below; always 1 in a
// build that cannot start threads (a browser page built without -pthread).
int32_t ThreadsFor(int32_t wanted);

// Calls work(task, worker) once for every task from 0 to tasks - 1 and returns when every call
// has returned. The tasks run on up to `threads` threads at once (see ThreadsFor): of N threads,
// thread w runs tasks w, w + N, w + 2N, ..., in that order, the calling thread being thread 0;
// `worker` names the thread, so that each call may use scratch memory of its own thread's.
// Helpers are started on the first call that needs them and kept for later ones; fewer are used
// when the system refuses threads.
void Run(int32_t threads, int32_t tasks, const std::function<void(int32_t, int32_t)>& work);

// Processor milliseconds by which the busiest helper of each piece of work outlasted the calling
// thread's own tasks, summed over every piece so far. The calling thread's processor time plus
// this is the time its work takes on a machine with a free core for every thread, whatever else
// the machine runs: what a benchmark on a shared machine measures.
double LagMs();

}  // namespace pool
