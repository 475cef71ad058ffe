// brinehold-scored as a child process on a free loopback port, for the
// server's own tests and the game's end-to-end runs. The server stops by
// itself after the given number of seconds at the latest, and at once when
// the object goes. Port() is 0 when it could not be started.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace scored {

inline const std::string kProgram = std::string(BRINEHOLD_GAME_DIR) + "/brinehold-scored";

class ScoredProcess {
public:
    // `database` is a SQLite file or a postgresql:// location; `options` go
    // to the server as well.
    ScoredProcess(const std::string& database, int exitAfterSeconds,
                  const std::vector<std::string>& options = {}) {
        std::vector<std::string> words = {kProgram,
                                          "--listen",
                                          "127.0.0.1:0",
                                          "--db",
                                          database,
                                          "--exit-after",
                                          std::to_string(exitAfterSeconds),
                                          "--access-log",
                                          "off"};
        words.insert(words.end(), options.begin(), options.end());
        std::vector<char*> argv;
        for (std::string& word : words) {
            argv.push_back(word.data());
        }
        argv.push_back(nullptr);
        int out[2];
        if (pipe(out) != 0) {
            return;
        }
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            close(out[1]);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(out[1]);
        // The server's first line names the address it listens on.
        FILE* stream = fdopen(out[0], "r");
        char line[128] = {};
        if (stream != nullptr && std::fgets(line, sizeof line, stream) != nullptr) {
            const std::string text = line;
            port_ = std::atoi(text.substr(text.rfind(':') + 1).c_str());
        }
        if (stream != nullptr) {
            std::fclose(stream);
        }
    }
    ScoredProcess(const ScoredProcess&) = delete;
    ScoredProcess& operator=(const ScoredProcess&) = delete;
    ~ScoredProcess() { Stop(); }

    // Sends `signal` and waits; the exit status as waitpid gives it.
    int Stop(int signal = SIGTERM) {
        int status = -1;
        if (pid_ > 0) {
            kill(pid_, signal);
            waitpid(pid_, &status, 0);
            pid_ = -1;
        }
        return status;
    }
    pid_t Pid() const { return pid_; }
    int Port() const { return port_; }
    std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }
    // The score script's URL with the given query.
    std::string Url(const std::string& query) const {
        return "http://" + Address() + "/cgi/version.pl?" + query;
    }

private:
    pid_t pid_ = -1;
    int port_ = 0;
};

} // namespace scored
