#include "RateLimiter.h"

#include <algorithm>

RateLimiter::RateLimiter(double perMinute, double burst, std::size_t maxAddresses)
    : perSecond_(perMinute / 60.0), burst_(std::max(burst, 1.0)), maxAddresses_(maxAddresses) {}

bool RateLimiter::Allow(std::string_view address, double nowSeconds) {
    if (perSecond_ <= 0) {
        return true;
    }
    std::lock_guard lock(mutex_);
    auto found = buckets_.find(std::string(address));
    if (found == buckets_.end()) {
        if (buckets_.size() >= maxAddresses_) {
            Forget(nowSeconds);
        }
        if (buckets_.size() >= maxAddresses_) {
            return false; // a flood from more addresses than we keep: refuse newcomers
        }
        found = buckets_.emplace(std::string(address), Bucket{burst_, nowSeconds}).first;
    }
    Bucket& bucket = found->second;
    bucket.level =
        std::min(burst_, bucket.level + std::max(0.0, nowSeconds - bucket.updated) * perSecond_);
    bucket.updated = nowSeconds;
    if (bucket.level < 1.0) {
        return false;
    }
    bucket.level -= 1.0;
    return true;
}

void RateLimiter::Forget(double nowSeconds) {
    std::erase_if(buckets_, [&](const auto& entry) {
        const Bucket& bucket = entry.second;
        return bucket.level + (nowSeconds - bucket.updated) * perSecond_ >= burst_;
    });
}
