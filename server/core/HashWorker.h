// Runs password hashing away from the event loop, so one login's tens of milliseconds of
// argon2id do not stall every other connection. Results come back on the event loop, which
// is the only thread that touches connections and the account store.
#ifndef KVX_SERVER_HASHWORKER_H
#define KVX_SERVER_HASHWORKER_H

#include <asio.hpp>

#include <functional>
#include <memory>

namespace kvxserver {

class HashWorker {
public:
    // threads 0 runs the work on the event loop itself (for tests and the fuzzer: one thread,
    // same order every time).
    HashWorker(asio::io_context& loop, unsigned threads);
    // Waits for outstanding jobs; their done callbacks are left to the loop.
    ~HashWorker();
    HashWorker(const HashWorker&) = delete;
    HashWorker& operator=(const HashWorker&) = delete;

    // Runs work, then done on the event loop. done never runs inside this call. The loop
    // does not run out of work while a job is outstanding, so shutdown waits for it.
    void Run(std::function<void()> work, std::function<void()> done);

private:
    asio::io_context& loop_;
    std::unique_ptr<asio::thread_pool> pool_;
};

} // namespace kvxserver

#endif
