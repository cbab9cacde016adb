#include "app/islands_mpi.h"

#include <mpi.h>

#include <boost/mpi/collectives.hpp>
#include <boost/mpi/communicator.hpp>
#include <boost/mpi/environment.hpp>
#include <boost/mpi/request.hpp>
#include <chrono>
#include <stdexcept>
#include <thread>

namespace mpi = boost::mpi;

namespace {

constexpr int kBytesTag = 1;

// Waits for a request by testing it now and then rather than in a busy loop: an island done early
// sleeps while the others finish their generation, leaving the processors to them and to mpirun,
// which must keep passing on island 0's output (a full pipe would hold island 0 up).
void Await(MPI_Request& request) {
    for (int done = 0;;) {
        MPI_Test(&request, &done, MPI_STATUS_IGNORE);
        if (done) return;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

// The run's calls come from its coordinator thread, one at a time, while MPI was started on the
// main thread: that needs the serialized threading level.
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

    // The first call of every meeting, where the islands wait for the slowest.
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
        MPI_Allreduce(&mine, &best, 1, MPI_FLOAT_INT, MPI_MINLOC, world);
        return {best.fitness, best.island};
    }

    Bytes SendToFirst(int from, const Bytes& bytes) override {
        if (from == 0) return world.rank() == 0 ? bytes : Bytes();
        if (world.rank() == from) {
            const int count = static_cast<int>(bytes.size());
            world.send(0, kBytesTag, count);
            world.send(0, kBytesTag, bytes.data(), count);
        }
        if (world.rank() != 0) return Bytes();
        int count = 0;
        world.recv(from, kBytesTag, count);
        Bytes received(static_cast<std::size_t>(count));
        world.recv(from, kBytesTag, received.data(), count);
        return received;
    }

    // The sizes first, then the bytes; the send does not wait for the receive, so that a ring
    // of one island passes its bytes to itself.
    Bytes PassAround(const Bytes& bytes) override {
        const int next = (world.rank() + 1) % world.size();
        const int previous = (world.rank() + world.size() - 1) % world.size();
        const int count = static_cast<int>(bytes.size());
        int incoming = 0;
        world.sendrecv(next, kBytesTag, count, previous, kBytesTag, incoming);
        Bytes received(static_cast<std::size_t>(incoming));
        mpi::request sent = world.isend(next, kBytesTag, bytes.data(), count);
        world.recv(previous, kBytesTag, received.data(), incoming);
        sent.wait();
        return received;
    }

    void Abort(int status) override { mpi::environment::abort(status); }

  private:
    mpi::environment environment;  // MPI ends when this goes, after `world`
    mpi::communicator world;
};

}  // namespace

std::unique_ptr<IslandLink> JoinIslands() { return std::make_unique<MpiLink>(); }
