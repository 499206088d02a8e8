#include "support/HttpTestServer.h"

#include <csignal>
#include <cstdlib>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tolvane::test {

HttpTestServer::HttpTestServer(const std::string& root, const std::string& log) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    std::string program = "python3", script = TOLVANE_UPDATE_SERVER_SCRIPT;
    std::string rootArg = root, logArg = log;
    char* argv[] = {program.data(), script.data(), rootArg.data(), logArg.data(), nullptr};
    if (posix_spawnp(&pid_, "python3", &actions, nullptr, argv, environ) != 0)
        pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    // The first line is the port; the pipe stays open until the server ends.
    std::string line;
    char c = 0;
    while (pid_ > 0 && read(pipeEnds[0], &c, 1) == 1 && c != '\n')
        line += c;
    close(pipeEnds[0]);
    port_ = static_cast<uint16_t>(std::atoi(line.c_str()));
}

HttpTestServer::~HttpTestServer() {
    if (pid_ <= 0)
        return;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
}

std::string HttpTestServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

} // namespace tolvane::test
