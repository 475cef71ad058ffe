#include "ScoreStore.h"

bool IsPostgresLocation(std::string_view location) {
    return location.starts_with("postgresql://") || location.starts_with("postgres://");
}

std::unique_ptr<ScoreStore> OpenScoreStore(const std::string& location) {
    return IsPostgresLocation(location) ? OpenPostgresStore(location) : OpenSqliteStore(location);
}

StorePool::Lease StorePool::Borrow() {
    {
        std::lock_guard lock(mutex_);
        if (!idle_.empty()) {
            std::unique_ptr<ScoreStore> store = std::move(idle_.back());
            idle_.pop_back();
            return Lease(*this, std::move(store));
        }
    }
    return Lease(*this, OpenScoreStore(location_));
}

void StorePool::Return(std::unique_ptr<ScoreStore> store) {
    if (store) {
        std::lock_guard lock(mutex_);
        idle_.push_back(std::move(store));
    }
}
