// A throw-away PostgreSQL server for the tests: Debian's postgresql package,
// a cluster in a temporary folder owned by an unprivileged user (nobody, when
// the tests run as root), listening on 127.0.0.1 only. Started on first use,
// shared by the tests of one program, and gone when the program ends, even
// when it dies (the server gets SIGQUIT with its parent).
#pragma once

#include <fcntl.h>
#include <grp.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace scored {

class PostgresCluster {
public:
    // The shared cluster; Running() tells whether it could be started, and
    // Problem() why not.
    static PostgresCluster& Shared() {
        static PostgresCluster cluster;
        return cluster;
    }

    bool Running() const { return server_ > 0; }
    const std::string& Problem() const { return problem_; }

    // A new, empty database, as a location for brinehold-scored --db.
    std::string NewDatabase() {
        const std::string name = "t" + std::to_string(getpid()) + "_" + std::to_string(++created_);
        if (Run({bin_ + "/createdb", "-h", "127.0.0.1", "-p", std::to_string(port_), "-U",
                 "brinehold", name},
                false) != 0) {
            return {};
        }
        return "postgresql://brinehold@127.0.0.1:" + std::to_string(port_) + "/" + name;
    }

    ~PostgresCluster() {
        if (server_ > 0) {
            kill(server_, SIGQUIT); // immediate stop; nothing here is worth keeping
            int status = 0;
            waitpid(server_, &status, 0);
        }
        if (!dir_.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(dir_, ignored);
        }
    }

private:
    PostgresCluster() {
        bin_ = FindBin();
        if (bin_.empty()) {
            problem_ = "PostgreSQL is not installed (package postgresql)";
            return;
        }
        if (geteuid() == 0) {
            const passwd* nobody = getpwnam("nobody");
            if (nobody == nullptr) {
                problem_ = "running as root and there is no user nobody to own the cluster";
                return;
            }
            uid_ = nobody->pw_uid;
            gid_ = nobody->pw_gid;
        }
        char pattern[] = "/tmp/brinehold-pg-XXXXXX";
        if (mkdtemp(pattern) == nullptr) {
            problem_ = "cannot make a temporary folder";
            return;
        }
        dir_ = pattern;
        if (uid_ >= 0 &&
            chown(dir_.c_str(), static_cast<uid_t>(uid_), static_cast<gid_t>(gid_)) != 0) {
            problem_ = "cannot hand the temporary folder to nobody";
            return;
        }
        const std::string data = dir_ + "/data";
        if (Run({bin_ + "/initdb", "-D", data, "-U", "brinehold", "-A", "trust", "-E", "UTF8",
                 "--locale=C", "--no-sync"},
                true) != 0) {
            problem_ = "initdb failed (see " + dir_ + "/command.log)";
            return;
        }
        port_ = FreePort();
        server_ = Spawn({bin_ + "/postgres", "-D", data, "-c", "listen_addresses=127.0.0.1", "-p",
                         std::to_string(port_), "-k", dir_, "-c", "fsync=off", "-c",
                         "max_connections=300", "-c", "shared_buffers=16MB"},
                        true, true);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (Run({bin_ + "/pg_isready", "-q", "-h", "127.0.0.1", "-p", std::to_string(port_)},
                   false) != 0) {
            int status = 0;
            if (server_ <= 0 || waitpid(server_, &status, WNOHANG) != 0 ||
                std::chrono::steady_clock::now() > deadline) {
                if (server_ > 0) {
                    kill(server_, SIGQUIT);
                    waitpid(server_, &status, 0);
                }
                server_ = -1;
                problem_ = "the PostgreSQL server did not start (see " + dir_ + "/command.log)";
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }

    static std::string FindBin() {
        std::string best;
        std::error_code error;
        for (const auto& entry :
             std::filesystem::directory_iterator("/usr/lib/postgresql", error)) {
            const std::string bin = entry.path().string() + "/bin";
            if (std::filesystem::exists(bin + "/initdb") && bin > best) {
                best = bin;
            }
        }
        return best;
    }

    static int FreePort() {
        const int probe = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
        getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
        close(probe);
        return ntohs(address.sin_port);
    }

    // Starts a program with its output in the folder's command.log, as the
    // cluster's owner when `owner`, and dying with us when `tied`.
    pid_t Spawn(const std::vector<std::string>& words, bool owner, bool tied) const {
        const std::string log = dir_ + "/command.log";
        const pid_t child = fork();
        if (child != 0) {
            return child;
        }
        const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (out >= 0) {
            dup2(out, STDOUT_FILENO);
            dup2(out, STDERR_FILENO);
        }
        if (owner && uid_ >= 0) {
            if (setgroups(0, nullptr) != 0 || setgid(static_cast<gid_t>(gid_)) != 0 ||
                setuid(static_cast<uid_t>(uid_)) != 0) {
                _exit(126);
            }
        }
        if (tied) {
            prctl(PR_SET_PDEATHSIG, SIGQUIT);
        }
        std::vector<char*> argv;
        for (const std::string& word : words) {
            argv.push_back(const_cast<char*>(word.c_str()));
        }
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }

    int Run(const std::vector<std::string>& words, bool owner) const {
        const pid_t child = Spawn(words, owner, true);
        int status = 0;
        if (child < 0 || waitpid(child, &status, 0) != child) {
            return -1;
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string bin_;
    std::string dir_;
    std::string problem_;
    long uid_ = -1;
    long gid_ = -1;
    int port_ = 0;
    pid_t server_ = -1;
    int created_ = 0;
};

} // namespace scored
