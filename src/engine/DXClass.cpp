#include "engine/DXClass.h"

#include <algorithm>
#include <cmath>
#include <limits>

// ------------------------------------------------------------ TApplication

TApplication::TApplication(platform::IClock& clock) : clock_(clock) {}

void TApplication::Activate() {
    active_ = true;
    Broadcast(true);
}

void TApplication::Deactivate() {
    active_ = false;
    Broadcast(false);
}

void TApplication::Broadcast(bool active) {
    // A listener may leave while the message goes round.
    for (std::size_t i = 0; i < listeners_.size(); ++i) {
        const auto listener = listeners_[i].listener;
        listener(active);
    }
}

void TApplication::AddActivationListener(void* owner, std::function<void(bool)> listener) {
    listeners_.push_back(Listener{owner, std::move(listener)});
}

void TApplication::RemoveActivationListener(void* owner) {
    std::erase_if(listeners_, [owner](const Listener& l) { return l.owner == owner; });
}

bool TApplication::RunIdle() {
    if (idleHandler_ == nullptr) {
        return false;
    }
    idleHandler_->DoIdle();
    return true;
}

std::optional<std::uint32_t> TApplication::NextIdleDueMs() const {
    if (idleHandler_ == nullptr) {
        return std::nullopt;
    }
    return idleHandler_->NextDueMs();
}

// --------------------------------------------------------------- TDXTimer

TDXTimer::TDXTimer(TApplication& application) : application_(application) {
    application_.AddActivationListener(this, [this](bool active) { AppActivation(active); });
}

TDXTimer::~TDXTimer() {
    Stop();
    application_.RemoveActivationListener(this);
}

void TDXTimer::Loaded() {
    loading_ = false;
    if (enabled_) {
        Start();
    }
}

void TDXTimer::SetEnabled(bool value) {
    if (enabled_ == value) {
        return;
    }
    enabled_ = value;
    if (loading_) {
        return;
    }
    if (enabled_) {
        Start();
    } else {
        Stop();
    }
}

void TDXTimer::SetInterval(int value) {
    if (interval_ == value) {
        return;
    }
    interval_ = std::max(value, 0);
    divisor_ = std::max(value, 1);
}

void TDXTimer::Start() {
    Stop();
    if (!ActiveOnly || application_.Active()) {
        Resume();
    }
    initialized_ = true;
}

void TDXTimer::Stop() {
    if (initialized_) {
        Suspend();
        initialized_ = false;
    }
}

void TDXTimer::Resume() {
    oldTime_ = application_.Clock().NowMs();
    oldTime2_ = oldTime_;
    application_.SetIdleHandler(this);
}

void TDXTimer::Suspend() {
    // Whichever timer installed it: the application has one slot.
    application_.SetIdleHandler(nullptr);
}

void TDXTimer::AppActivation(bool active) {
    if (active) {
        if (OnActivate) {
            OnActivate(this);
        }
        if (initialized_ && ActiveOnly) {
            Resume();
        }
    } else {
        if (OnDeactivate) {
            OnDeactivate(this);
        }
        if (initialized_ && ActiveOnly) {
            Suspend();
        }
    }
}

void TDXTimer::DoIdle() {
    const std::uint32_t t = application_.Clock().NowMs();
    // Unsigned differences keep working across the wrap of the 32-bit clock.
    const std::uint32_t elapsed = t - oldTime_;
    if (elapsed < static_cast<std::uint32_t>(interval_)) {
        return;
    }
    Fire(t);
}

void TDXTimer::FireNow() {
    Fire(application_.Clock().NowMs());
}

void TDXTimer::Fire(std::uint32_t t) {
    const std::uint32_t elapsed = t - oldTime_;
    const std::uint32_t lag = elapsed / static_cast<std::uint32_t>(divisor_);
    // The remainder is dropped, not carried to the next tick.
    oldTime_ = t;

    frameCount_++;
    const std::uint32_t sinceMeasure = std::max<std::uint32_t>(t - oldTime2_, 1);
    if (sinceMeasure >= 1000) {
        frameRate_ = static_cast<int>(std::nearbyint(frameCount_ * 1000.0 / sinceMeasure));
        frameCount_ = 0;
        oldTime2_ = t;
    }

    const int lagCount = static_cast<int>(
        std::min<std::uint32_t>(lag, static_cast<std::uint32_t>(std::numeric_limits<int>::max())));
    if (OnTimer) {
        OnTimer(this, std::max(lagCount, 1));
    }
}
