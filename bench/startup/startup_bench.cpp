// Start-up time: from exec to the first paint of the window, for the game's title window and
// for a minimal Qt window, measured alternately in one run. Prints both medians and the ratio.
//
// Fails (exit 1) when the ratio is above 1.5.
//
// Usage: startup_bench GAME_BINARY MINIMAL_BINARY [RUNS]
//        startup_bench --trace GAME_BINARY   (one start with the game's step times on stderr)
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <csignal>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr double kLimit = 1.5;

// Milliseconds until the child prints "shown"; negative on failure. With `trace` the child
// is told the moment of its exec, to count its step times from there.
double time_to_shown(const char* binary, bool trace = false) {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&fa, fds[0]);
    char* argv[] = {const_cast<char*>(binary), nullptr};
    if (trace) {
        timespec ts{};
        clock_gettime(CLOCK_MONOTONIC, &ts);
        setenv("LUM_TRACE_START", std::to_string(ts.tv_sec * 1000000000LL + ts.tv_nsec).c_str(), 1);
    }
    auto start = std::chrono::steady_clock::now();
    pid_t pid;
    int rc = posix_spawn(&pid, binary, &fa, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&fa);
    close(fds[1]);
    if (rc != 0) {
        close(fds[0]);
        return -1;
    }
    std::string out;
    char buf[256];
    double ms = -1;
    ssize_t n = 0;
    // A program that never reports within 20 s counts as a failure rather than a hang.
    pollfd pfd{fds[0], POLLIN, 0};
    while (poll(&pfd, 1, 20000) > 0 && (n = read(fds[0], buf, sizeof buf)) > 0) {
        out.append(buf, static_cast<size_t>(n));
        if (out.find("shown") != std::string::npos) {
            ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                     .count();
            break;
        }
    }
    close(fds[0]);
    if (ms < 0) kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    return ms;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--trace") == 0) {
        setenv("LUM_REPORT_SHOWN", "1", 1);
        time_to_shown(argv[2]);  // warm file cache
        double ms = time_to_shown(argv[2], true);
        std::printf("shown after %.1f ms\n", ms);
        return ms < 0 ? 1 : 0;
    }
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: %s GAME_BINARY MINIMAL_BINARY [RUNS]\n"
                     "       %s --trace GAME_BINARY\n",
                     argv[0], argv[0]);
        return 2;
    }
    int runs = argc > 3 ? std::atoi(argv[3]) : 15;
    setenv("LUM_REPORT_SHOWN", "1", 1);
    // One warm-up each so both start from a warm file cache.
    time_to_shown(argv[1]);
    time_to_shown(argv[2]);
    std::vector<double> game, minimal;
    for (int i = 0; i < runs; ++i) {
        double g = time_to_shown(argv[1]);
        double m = time_to_shown(argv[2]);
        if (g < 0 || m < 0) {
            std::fprintf(stderr, "a program did not report its window\n");
            return 1;
        }
        game.push_back(g);
        minimal.push_back(m);
    }
    double g = median(game), m = median(minimal);
    std::printf("start-up to first paint, median of %d runs\n", runs);
    std::printf("  title window (luminaria): %8.1f ms\n", g);
    std::printf("  minimal Qt window:        %8.1f ms\n", m);
    std::printf("  ratio:                    %8.2f (limit %.2f)\n", g / m, kLimit);
    if (g / m > kLimit) {
        std::fprintf(stderr, "start-up: the title window takes %.2f times the minimal window\n",
                     g / m);
        return 1;
    }
    return 0;
}
