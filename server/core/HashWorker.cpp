#include "HashWorker.h"

namespace kvxserver {

HashWorker::HashWorker(asio::io_context& loop, unsigned threads) : loop_(loop)
{
    if (threads > 0) pool_ = std::make_unique<asio::thread_pool>(threads);
}

HashWorker::~HashWorker()
{
    if (pool_) pool_->join();
}

void HashWorker::Run(std::function<void()> work, std::function<void()> done)
{
    auto guard = asio::make_work_guard(loop_);
    if (!pool_) {
        asio::post(loop_, [work = std::move(work), done = std::move(done), guard]() {
            work();
            done();
        });
        return;
    }
    asio::post(*pool_, [this, work = std::move(work), done = std::move(done), guard]() {
        work();
        asio::post(loop_, [done, guard]() { done(); });
    });
}

} // namespace kvxserver
