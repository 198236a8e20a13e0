// The processes of the fast solve. A program runs as one process (the window, velkor-batch on its
// own), or as a group started by mpirun, in which process 0 is the program and the others only
// help it solve. MPI is started by the first fast solve of a single process, or at the start of
// every process of a group, and ended when the program ends.
//
// Sums across the processes are taken in process order, so that the same input on the same number
// of processes gives the same bits run after run, whatever the MPI library's reduction order.
#pragma once

#include <cstdint>
#include <string>

#include <mpi.h>

namespace velkor::parallel {

// Whether this process was started by mpirun (its environment says so).
bool launchedByMpirun();

// Starts MPI when it is not running yet; false (and why) when it cannot be had. In a single
// process no helper daemon is started: the process is a group of one. MPI is ended at exit.
bool ensureStarted(std::string& message);

MPI_Comm group();
int rank();      // this process's number in the group, 0 before MPI is started
int groupSize(); // processes in the group, 1 before MPI is started

// Process 0 of a group: tells the others to stop waiting for work (they then end MPI and leave).
void releaseHelpers();

// Sets the thread counts of the libraries the solve may load (OpenMP, OpenBLAS) to one per
// process: on a machine with few cores every extra thread spins against the solve of another.
void limitLibraryThreads();

// Sums of a few values over all processes, added in process order, and their largest values; the
// same result on every process.
struct Reduction {
    static constexpr int kSums = 3;
    static constexpr int kMaxima = 2;
    double sum[kSums] = {};
    double maximum[kMaxima] = {};
};
void reduce(Reduction& values);

// A command from process 0 to the helpers: what to do next, with up to three numbers.
struct Command {
    int64_t what = 0;
    int64_t argument[3] = {};
};
// Process 0: sends the command to every other process.
void sendCommand(const Command& command);
// A helper: waits for the next command without spinning (process 0 may be busy with other work
// for a long time).
Command receiveCommand();

// Point-to-point transfers of arrays between process 0 and another.
void sendDoubles(const double* data, int64_t count, int to);
void receiveDoubles(double* data, int64_t count, int from);
void sendInts(const int32_t* data, int64_t count, int to);
void receiveInts(int32_t* data, int64_t count, int from);

} // namespace velkor::parallel
