#include "server/rate_limiter.h"

#include <algorithm>

namespace vantor::gallery {

RateLimiter::RateLimiter(double per_second, double burst, std::size_t max_clients)
    : per_second_(per_second), burst_(burst), max_clients_(max_clients) {
    overflow_.tokens = burst_;
}

void RateLimiter::Refill(Bucket& bucket, Time now) const {
    if (now > bucket.updated) {
        const double seconds = std::chrono::duration<double>(now - bucket.updated).count();
        bucket.tokens = std::min(burst_, bucket.tokens + seconds * per_second_);
        bucket.updated = now;
    }
}

void RateLimiter::ForgetFullBuckets(Time now) {
    for (auto it = buckets_.begin(); it != buckets_.end();) {
        Refill(it->second, now);
        it = it->second.tokens >= burst_ ? buckets_.erase(it) : std::next(it);
    }
}

bool RateLimiter::Allow(const std::string& client, Time now) {
    std::lock_guard lock(mutex_);
    auto found = buckets_.find(client);
    if (found == buckets_.end()) {
        if (buckets_.size() >= max_clients_) {
            ForgetFullBuckets(now);
        }
        if (buckets_.size() >= max_clients_) {
            Refill(overflow_, now);
            return overflow_.tokens >= 1 ? (overflow_.tokens -= 1, true) : false;
        }
        found = buckets_.emplace(client, Bucket{burst_, now}).first;
    }
    Bucket& bucket = found->second;
    Refill(bucket, now);
    if (bucket.tokens < 1) {
        return false;
    }
    bucket.tokens -= 1;
    return true;
}

}  // namespace vantor::gallery
