// Runs a program as a child process with its output sent to files, for the
// tests and benchmarks that drive the real dbadmin.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

struct TChildRun {
    int Status = -1; // exit status; -1 when the child did not start or did not exit
    long PeakKb = 0; // peak resident set of the child
};

// Runs `args` (the program's path first) with standard output to
// `stdoutPath` and standard error to `stderrPath`, each created or emptied,
// and waits for it to end.
inline TChildRun RunChild(std::vector<std::string> args, const std::string& stdoutPath,
                          const std::string& stderrPath) {
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const int flags = O_WRONLY | O_CREAT | O_TRUNC;
    posix_spawn_file_actions_addopen(&actions, 1, stdoutPath.c_str(), flags, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, stderrPath.c_str(), flags, 0600);
    TChildRun run;
    pid_t pid = 0;
    int status = 0;
    rusage usage{};
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0 &&
        wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status)) {
        run.Status = WEXITSTATUS(status);
        run.PeakKb = usage.ru_maxrss;
    }
    posix_spawn_file_actions_destroy(&actions);
    return run;
}
