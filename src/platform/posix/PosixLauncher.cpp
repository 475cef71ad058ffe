// The desktop's "open" action on POSIX desktops: xdg-open, started without a
// shell so no text is ever interpreted.
#include <spawn.h>
#include <sys/wait.h>

#include <vector>

#include "platform/Launcher.h"

extern char** environ;

namespace platform {
namespace {

class PosixLauncher final : public ILauncher {
public:
    ~PosixLauncher() override { Reap(); }

    void Open(const std::string& target) override {
        Reap();
        std::string program = "xdg-open";
        std::string argument = target;
        std::vector<char*> argv{program.data(), argument.data(), nullptr};
        pid_t pid = 0;
        if (posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) == 0) {
            children_.push_back(pid);
        }
    }

private:
    // The launcher is not waited for; finished ones are collected here so
    // they do not linger as zombies.
    void Reap() {
        std::vector<pid_t> running;
        for (pid_t pid : children_) {
            if (waitpid(pid, nullptr, WNOHANG) == 0) {
                running.push_back(pid);
            }
        }
        children_.swap(running);
    }

    std::vector<pid_t> children_;
};

} // namespace

std::unique_ptr<ILauncher> CreateDesktopLauncher() {
    return std::make_unique<PosixLauncher>();
}

} // namespace platform
