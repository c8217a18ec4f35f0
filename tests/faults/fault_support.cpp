#include "faults/fault_support.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "support/files.h"

namespace faults {

std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

RunOutcome play(const std::function<void(int flip, World& world)>& on_flip,
                const std::string& record_path) {
    harness::Options options;
    options.seed = 11;
    options.frames = kPlayFrames;
    options.input_script = kPlayScript;
    options.record_path = record_path;
    RunOutcome outcome;
    testing::internal::CaptureStderr();
    outcome.status = harness::run(options, [&](const harness::FlipInfo& info) {
        outcome.flips = info.flip;
        if (on_flip) on_flip(info.flip, *info.world);
    });
    outcome.error_lines = split_lines(testing::internal::GetCapturedStderr());
    return outcome;
}

namespace {

[[noreturn]] void exec_program(const std::string& program, const std::vector<std::string>& args,
                               const std::filesystem::path& dir,
                               const std::vector<std::string>& env_changes, int error_fd,
                               int output_fd) {
    if (chdir(dir.c_str()) != 0) _exit(126);
    for (const std::string& change : env_changes) {
        const auto eq = change.find('=');
        const std::string name = change.substr(0, eq);
        const std::string value = change.substr(eq + 1);
        if (value.empty()) {
            unsetenv(name.c_str());
        } else {
            setenv(name.c_str(), value.c_str(), 1);
        }
    }
    dup2(error_fd, STDERR_FILENO);
    const int null_fd = open("/dev/null", O_RDWR);
    dup2(null_fd, STDIN_FILENO);
    dup2(output_fd, STDOUT_FILENO);
    const std::string binary = std::string(SCRIBBLE_BINARY_DIR) + "/" + program;
    std::vector<char*> argv{const_cast<char*>(binary.c_str())};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(binary.c_str(), argv.data());
    _exit(127);
}

}  // namespace

bool catches_sigterm(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("SigCgt:", 0) != 0) continue;
        const unsigned long long caught = std::stoull(line.substr(7), nullptr, 16);
        return (caught >> (SIGTERM - 1)) & 1;
    }
    return false;
}

ProcessOutcome run_program(const std::string& program, const std::vector<std::string>& args,
                           const std::filesystem::path& dir,
                           const std::vector<std::string>& env_changes, const EndWhen& end_when) {
    const std::filesystem::path errors = dir / "stderr.txt";
    const std::filesystem::path output = dir / "stdout.txt";
    const int error_fd = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int output_fd = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ProcessOutcome outcome;
    if (error_fd < 0 || output_fd < 0) return outcome;
    const pid_t child = fork();
    if (child == 0) exec_program(program, args, dir, env_changes, error_fd, output_fd);
    close(error_fd);
    close(output_fd);
    if (child < 0) return outcome;

    // However the game behaves, it is stopped after two minutes so a test cannot
    // hang; a busy machine may take a good part of that to start it.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    bool asked = false;
    int status = 0;
    rusage usage{};
    while (wait4(child, &status, WNOHANG, &usage) == 0) {
        if (end_when && !asked && end_when(child, test_support::read_text(errors))) {
            kill(child, SIGTERM);
            asked = true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(child, SIGKILL);
            wait4(child, &status, 0, &usage);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    outcome.peak_kib = usage.ru_maxrss;
    outcome.exited = WIFEXITED(status);
    outcome.status = outcome.exited ? WEXITSTATUS(status) : -1;
    outcome.error_lines = split_lines(test_support::read_text(errors));
    outcome.output_lines = split_lines(test_support::read_text(output));
    return outcome;
}

ProcessOutcome play_headless(const std::filesystem::path& dir) {
    {
        std::ofstream script(dir / "play.txt");
        script << kPlayScript;
    }
    return run_program(
        "scribble-headless",
        {"--seed", "11", "--frames", std::to_string(kPlayFrames), "--input", "play.txt"}, dir, {});
}

ScopedMount::ScopedMount(const std::string& source, const std::string& target,
                         const std::string& type, unsigned long flags, const std::string& data)
    : target_(target) {
    if (mount(source.c_str(), target.c_str(), type.empty() ? nullptr : type.c_str(), flags,
              data.empty() ? nullptr : data.c_str()) == 0) {
        ok_ = true;
    } else {
        error_ = std::strerror(errno);
    }
}

ScopedMount::~ScopedMount() {
    if (ok_) umount2(target_.c_str(), MNT_DETACH);
}

bool ScopedMount::make_read_only() {
    if (mount(nullptr, target_.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0) {
        error_ = std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace faults
