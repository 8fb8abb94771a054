#include "RateLimiter.h"

namespace kvxserver {

namespace {
constexpr unsigned kSweepEvery = 1024;
}

RateLimiter::RateLimiter(unsigned limit, Clock::duration window) : limit_(limit), window_(window) {}

void RateLimiter::Expire(std::deque<Clock::time_point>& stamps, Clock::time_point now) const
{
    while (!stamps.empty() && now - stamps.front() >= window_) stamps.pop_front();
}

bool RateLimiter::Allows(const std::string& key, Clock::time_point now)
{
    auto found = events_.find(key);
    if (found == events_.end()) return limit_ > 0;
    Expire(found->second, now);
    if (found->second.empty()) {
        events_.erase(found);
        return limit_ > 0;
    }
    return found->second.size() < limit_;
}

void RateLimiter::Record(const std::string& key, Clock::time_point now)
{
    if (++recordsSinceSweep_ >= kSweepEvery) Sweep(now);
    std::deque<Clock::time_point>& stamps = events_[key];
    Expire(stamps, now);
    // Only the newest `limit` stamps can decide Allows, so older ones need not be kept.
    while (!stamps.empty() && stamps.size() >= limit_) stamps.pop_front();
    stamps.push_back(now);
}

void RateLimiter::Sweep(Clock::time_point now)
{
    recordsSinceSweep_ = 0;
    for (auto it = events_.begin(); it != events_.end();) {
        Expire(it->second, now);
        it = it->second.empty() ? events_.erase(it) : std::next(it);
    }
}

} // namespace kvxserver
