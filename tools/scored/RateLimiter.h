// Requests per client address: a token bucket per address that refills at
// `perMinute` and holds at most `burst`. Addresses idle long enough to have a
// full bucket are forgotten, so a flood from many addresses cannot grow the
// table without bound.
#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

class RateLimiter {
public:
    // perMinute 0 turns the limit off.
    RateLimiter(double perMinute, double burst, std::size_t maxAddresses = 100000);

    // Takes one request from the address's bucket at `nowSeconds`; false when empty.
    bool Allow(std::string_view address, double nowSeconds);

private:
    struct Bucket {
        double level;
        double updated;
    };

    void Forget(double nowSeconds);

    double perSecond_;
    double burst_;
    std::size_t maxAddresses_;
    std::mutex mutex_;
    std::unordered_map<std::string, Bucket> buckets_;
};
