#include "app/islands_mpi.h"

#include <mpi.h>

#include <algorithm>
#include <boost/mpi/collectives.hpp>
#include <boost/mpi/communicator.hpp>
#include <boost/mpi/environment.hpp>
#include <chrono>
#include <stdexcept>
#include <thread>

namespace mpi = boost::mpi;

namespace {

constexpr int kBytesTag = 1;

// Waits until `done` without holding a processor: an island done early lets the others finish their
// generation, and mpirun keep passing on island 0's output (a full pipe would hold island 0 up). It
// asks again at once, giving way to other threads, for short waits; then after pauses that grow from
// 20 to 320 microseconds.
template <typename Done>
void Await(const Done& done) {
    for (int k = 0; k < 100; ++k) {
        if (done()) return;
        std::this_thread::yield();
    }
    for (auto pause = std::chrono::microseconds(20); !done();
         pause = std::min(2 * pause, std::chrono::microseconds(320)))
        std::this_thread::sleep_for(pause);
}

void Await(MPI_Request& request) {
    Await([&request] {
        int done = 0;
        MPI_Test(&request, &done, MPI_STATUS_IGNORE);
        return done != 0;
    });
}

// The run's calls come from its coordinator thread, one at a time, while MPI was started on the
// main thread: that needs the serialized threading level. Each transfer of bytes is one message.
class MpiLink : public IslandLink {
  public:
    MpiLink() : environment(mpi::threading::serialized) {
        if (mpi::environment::thread_level() < mpi::threading::serialized)
            throw std::runtime_error("MPI cannot take calls from the run's thread");
    }

    int Island() const override { return world.rank(); }
    int Islands() const override { return world.size(); }

    std::uint32_t FirstIslands(std::uint32_t value) override {
        mpi::broadcast(world, value, 0);
        return value;
    }

    bool AnyIsland(bool value) override {
        int mine = value ? 1 : 0, any = 0;
        MPI_Request request;
        MPI_Iallreduce(&mine, &any, 1, MPI_INT, MPI_MAX, world, &request);
        Await(request);
        return any != 0;
    }

    // MINLOC takes the lowest rank among equal fitnesses.
    Best BestIsland(float fitness) override {
        struct {
            float fitness;
            int island;
        } mine{fitness, world.rank()}, best{};
        MPI_Request request;
        MPI_Iallreduce(&mine, &best, 1, MPI_FLOAT_INT, MPI_MINLOC, world, &request);
        Await(request);
        return {best.fitness, best.island};
    }

    Bytes SendToFirst(int from, const Bytes& bytes) override {
        if (from == 0) return world.rank() == 0 ? bytes : Bytes();
        if (world.rank() == from) Send(0, bytes);
        return world.rank() == 0 ? Receive(from) : Bytes();
    }

    // The send does not wait for the receive, so that a ring of one island passes bytes to itself.
    Bytes PassAround(const Bytes& bytes) override {
        const int next = (world.rank() + 1) % world.size();
        const int previous = (world.rank() + world.size() - 1) % world.size();
        MPI_Request sent;
        MPI_Isend(bytes.data(), static_cast<int>(bytes.size()), MPI_BYTE, next, kBytesTag, world, &sent);
        Bytes received = Receive(previous);
        Await(sent);
        return received;
    }

    void Abort(int status) override { mpi::environment::abort(status); }

  private:
    void Send(int to, const Bytes& bytes) {
        MPI_Request sent;
        MPI_Isend(bytes.data(), static_cast<int>(bytes.size()), MPI_BYTE, to, kBytesTag, world, &sent);
        Await(sent);
    }

    // One message from `from`, whatever its length.
    Bytes Receive(int from) {
        MPI_Status status;
        Await([this, from, &status] {
            int arrived = 0;
            MPI_Iprobe(from, kBytesTag, world, &arrived, &status);
            return arrived != 0;
        });
        int count = 0;
        MPI_Get_count(&status, MPI_BYTE, &count);
        Bytes received(static_cast<std::size_t>(count));
        MPI_Recv(received.data(), count, MPI_BYTE, from, kBytesTag, world, MPI_STATUS_IGNORE);
        return received;
    }

    mpi::environment environment;  // MPI ends when this goes, after `world`
    mpi::communicator world;
};

}  // namespace

std::unique_ptr<IslandLink> JoinIslands() { return std::make_unique<MpiLink>(); }
