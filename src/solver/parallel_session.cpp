#include "solver/parallel_session.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <vector>

#include <dlfcn.h>

#include "model/table.h"

namespace velkor::parallel {

namespace {

constexpr int kCommandTag = 1;
constexpr int kDataTag = 2;
// MPI counts are ints: long arrays go in pieces.
constexpr int64_t kPiece = int64_t{1} << 28;

std::mutex startLock;
bool started = false;
bool helpersReleased = false;
int myRank = 0;
int mySize = 1;

void endAtExit() {
    int initialised = 0, finalised = 0;
    MPI_Initialized(&initialised);
    MPI_Finalized(&finalised);
    if (!initialised || finalised) return;
    if (myRank == 0) releaseHelpers();
    MPI_Finalize();
}

// Open MPI's own settings for a process that runs alone: no daemon beside it (the default starts
// one for every such process) and only the transport to itself, which starts in a fraction of the
// time the full set of transports takes. What the user has set stays.
void setSingleProcessDefaults() {
    setenv("OMPI_MCA_ess_singleton_isolated", "1", 0);
    setenv("OMPI_MCA_pml", "ob1", 0);
    setenv("OMPI_MCA_btl", "self", 0);
}

// Sends or receives an array to or from another process, in pieces of an int's count.
template <typename Value> void transfer(Value* data, int64_t count, MPI_Datatype type, int other, bool send) {
    for (int64_t at = 0; at < count; at += kPiece) {
        const int piece = static_cast<int>(std::min(kPiece, count - at));
        if (send)
            MPI_Send(data + at, piece, type, other, kDataTag, MPI_COMM_WORLD);
        else
            MPI_Recv(data + at, piece, type, other, kDataTag, MPI_COMM_WORLD, MPI_STATUS_IGNORE);
    }
}

} // namespace

bool launchedByMpirun() {
    for (const char* name : {"OMPI_COMM_WORLD_SIZE", "PMIX_RANK", "PMI_RANK", "PMI_SIZE"})
        if (std::getenv(name)) return true;
    return false;
}

bool ensureStarted(std::string& message) {
    const std::lock_guard<std::mutex> lock(startLock);
    if (started) return true;
    int initialised = 0;
    MPI_Initialized(&initialised);
    if (!initialised) {
        if (!launchedByMpirun()) setSingleProcessDefaults();
        // Solves run one at a time, but not always on the thread that started MPI (a window solves
        // on a worker thread).
        int provided = 0;
        if (MPI_Init_thread(nullptr, nullptr, MPI_THREAD_SERIALIZED, &provided) != MPI_SUCCESS) {
            message = "The fast solver could not start its message passing (MPI).";
            return false;
        }
        std::atexit(endAtExit);
    }
    MPI_Comm_rank(MPI_COMM_WORLD, &myRank);
    MPI_Comm_size(MPI_COMM_WORLD, &mySize);
    started = true;
    return true;
}

MPI_Comm group() {
    return MPI_COMM_WORLD;
}

int rank() {
    return myRank;
}

int groupSize() {
    return mySize;
}

void releaseHelpers() {
    if (!started || myRank != 0 || helpersReleased) return;
    helpersReleased = true;
    sendCommand(Command{});
}

void limitLibraryThreads() {
    using SetThreads = void (*)(int);
    for (const char* name : {"omp_set_num_threads", "openblas_set_num_threads"})
        if (void* function = dlsym(RTLD_DEFAULT, name)) reinterpret_cast<SetThreads>(function)(1);
}

void reduce(Reduction& values) {
    if (mySize == 1) return;
    constexpr int kWidth = Reduction::kSums + Reduction::kMaxima;
    double mine[kWidth];
    std::copy_n(values.sum, Reduction::kSums, mine);
    std::copy_n(values.maximum, Reduction::kMaxima, mine + Reduction::kSums);
    std::vector<double> all(idx(kWidth) * idx(mySize));
    MPI_Allgather(mine, kWidth, MPI_DOUBLE, all.data(), kWidth, MPI_DOUBLE, MPI_COMM_WORLD);
    Reduction total;
    for (int r = 0; r < mySize; ++r) {
        const double* part = all.data() + idx(r) * kWidth;
        for (int k = 0; k < Reduction::kSums; ++k)
            total.sum[k] += part[k];
        for (int k = 0; k < Reduction::kMaxima; ++k)
            total.maximum[k] =
                r == 0 ? part[Reduction::kSums + k] : std::max(total.maximum[k], part[Reduction::kSums + k]);
    }
    values = total;
}

void sendCommand(const Command& command) {
    int64_t message[4] = {command.what, command.argument[0], command.argument[1], command.argument[2]};
    for (int r = 1; r < mySize; ++r)
        MPI_Send(message, 4, MPI_INT64_T, r, kCommandTag, MPI_COMM_WORLD);
}

Command receiveCommand() {
    int64_t message[4] = {};
    MPI_Request request;
    MPI_Irecv(message, 4, MPI_INT64_T, 0, kCommandTag, MPI_COMM_WORLD, &request);
    // A blocking receive would spin on a core for as long as process 0 reads, assembles or writes.
    int done = 0;
    for (;;) {
        MPI_Test(&request, &done, MPI_STATUS_IGNORE);
        if (done) break;
        const timespec pause{0, 200000};
        nanosleep(&pause, nullptr);
    }
    Command command;
    command.what = message[0];
    std::copy_n(message + 1, 3, command.argument);
    return command;
}

void sendDoubles(const double* data, int64_t count, int to) {
    transfer(const_cast<double*>(data), count, MPI_DOUBLE, to, true);
}

void receiveDoubles(double* data, int64_t count, int from) {
    transfer(data, count, MPI_DOUBLE, from, false);
}

void sendInts(const int32_t* data, int64_t count, int to) {
    transfer(const_cast<int32_t*>(data), count, MPI_INT32_T, to, true);
}

void receiveInts(int32_t* data, int64_t count, int from) {
    transfer(data, count, MPI_INT32_T, from, false);
}

} // namespace velkor::parallel
