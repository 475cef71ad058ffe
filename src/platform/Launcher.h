// Starting the desktop's "open" action for a file or a link. The operating
// system's layer (src/platform/posix, later src/platform/windows) implements
// it; the desktop object decides what may be opened.
#pragma once

#include <memory>
#include <string>

namespace platform {

class ILauncher {
public:
    virtual ~ILauncher() = default;
    // Hands `target` to the desktop's opener as one argument, without a
    // shell, and does not wait for it. Failures are ignored.
    virtual void Open(const std::string& target) = 0;
};

std::unique_ptr<ILauncher> CreateDesktopLauncher();

} // namespace platform
