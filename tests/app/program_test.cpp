// The real program as a process: its refusal without a display, and its first start on
// Qt's offscreen platform in a temporary home.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "app/temp_home.h"

namespace tankora {
namespace {

using testing::exists;
using testing::readFileBytes;
using testing::TempHome;

struct Child {
    pid_t pid = -1;
    int stderrPipe = -1;
};

// Starts the program with exactly this environment, its standard error in a pipe or,
// when it is not wanted, nowhere (so that a chatty platform never blocks it).
Child start(const std::vector<std::string>& environment, bool captureErrors) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) return {};
    std::vector<char*> envp;
    for (const std::string& entry : environment) envp.push_back(const_cast<char*>(entry.c_str()));
    envp.push_back(nullptr);
    char program[] = TANKORA_PROGRAM;
    char* argv[] = {program, nullptr};
    pid_t pid = ::fork();
    if (pid == 0) {
        if (captureErrors) {
            ::dup2(pipeEnds[1], STDERR_FILENO);
        } else {
            int nowhere = ::open("/dev/null", O_WRONLY);
            ::dup2(nowhere, STDERR_FILENO);
        }
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        ::execve(program, argv, envp.data());
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    return {pid, pipeEnds[0]};
}

std::string readAll(int fd) {
    std::string text;
    char buffer[4096];
    for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<size_t>(got));
    ::close(fd);
    return text;
}

TEST(Program, RefusesToStartWithoutAGraphicalSession) {
    TempHome home;
    Child child = start({"HOME=" + home.path()}, true);
    ASSERT_GT(child.pid, 0);
    std::string errors = readAll(child.stderrPipe);
    int status = 0;
    ASSERT_EQ(::waitpid(child.pid, &status, 0), child.pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(errors, "tankora: needs a graphical session (no DISPLAY or WAYLAND_DISPLAY set)\n");
    EXPECT_FALSE(exists(home.path() + "/.local"));
}

TEST(Program, FirstStartWritesTheEmptyLogAndKeepsRunning) {
    TempHome home;
    std::string database = home.path() + "/.local/share/Ravelt/Tankora/car.mdb";
    Child child = start({"HOME=" + home.path(), "QT_QPA_PLATFORM=offscreen", "TMPDIR=" + home.path()}, false);
    ASSERT_GT(child.pid, 0);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (readFileBytes(database).size() != 836 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    int status = 0;
    EXPECT_EQ(::waitpid(child.pid, &status, WNOHANG), 0) << "the program ended on its own";
    EXPECT_EQ(readFileBytes(database).size(), 836u);
    ::kill(child.pid, SIGTERM);
    ::waitpid(child.pid, &status, 0);
    ::close(child.stderrPipe);
}

}  // namespace
}  // namespace tankora
