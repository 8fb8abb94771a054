// Counts events per key (an address, an account) over a sliding time window and says when a
// key has had its fill. Memory stays bounded: a key keeps at most `limit` time stamps, and
// keys whose events have all left the window are swept away now and then.
#ifndef KVX_SERVER_RATELIMITER_H
#define KVX_SERVER_RATELIMITER_H

#include <chrono>
#include <cstddef>
#include <deque>
#include <string>
#include <unordered_map>

namespace kvxserver {

class RateLimiter {
public:
    using Clock = std::chrono::steady_clock;

    RateLimiter(unsigned limit, Clock::duration window);

    // True while the key has had fewer than `limit` events in the window ending at now.
    bool Allows(const std::string& key, Clock::time_point now);
    void Record(const std::string& key, Clock::time_point now);

    // Keys currently remembered.
    std::size_t Keys() const { return events_.size(); }

private:
    void Expire(std::deque<Clock::time_point>& stamps, Clock::time_point now) const;
    void Sweep(Clock::time_point now);

    unsigned limit_;
    Clock::duration window_;
    std::unordered_map<std::string, std::deque<Clock::time_point>> events_;
    unsigned recordsSinceSweep_ = 0;
};

} // namespace kvxserver

#endif
