#pragma once
// A token bucket per client address: `burst` requests at once, refilled at `per_second`. The
// table of clients is bounded: when it is full, clients whose buckets have filled up again are
// forgotten, and when none has, the new client shares one overflow bucket.
#include <chrono>
#include <map>
#include <mutex>
#include <string>

namespace vantor::gallery {

class RateLimiter {
  public:
    using Time = std::chrono::steady_clock::time_point;

    RateLimiter(double per_second, double burst, std::size_t max_clients = 4096);

    // Takes one request from the client's bucket; false when it is empty.
    bool Allow(const std::string& client, Time now);

  private:
    struct Bucket {
        double tokens = 0;
        Time updated{};
    };
    void Refill(Bucket& bucket, Time now) const;
    void ForgetFullBuckets(Time now);

    const double per_second_;
    const double burst_;
    const std::size_t max_clients_;
    std::mutex mutex_;  // guards buckets_ and overflow_
    std::map<std::string, Bucket> buckets_;
    Bucket overflow_;
};

}  // namespace vantor::gallery
