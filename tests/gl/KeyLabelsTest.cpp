#include "game/KeyBindings.h"

#include "GameProcess.h"
#include "TempDir.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

// An X server of the test's own, so that switching its keyboard layout
// touches no other test's display.
class OwnDisplay {
public:
    OwnDisplay() {
        const std::filesystem::path number = dir_.path() / "display";
        pid_ = fork();
        if (pid_ == 0) {
            const int fd = ::open(number.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(fd, 3);
            execlp("Xvfb", "Xvfb", "-displayfd", "3", "-noreset", "-screen", "0", "320x240x24",
                   "-nolisten", "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        const auto end = std::chrono::steady_clock::now() + 20s;
        while (std::chrono::steady_clock::now() < end) {
            std::ifstream in(number);
            std::string text;
            if (std::getline(in, text) && !text.empty()) {
                name_ = ":" + text;
                return;
            }
            if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
                pid_ = -1;
                return;
            }
            std::this_thread::sleep_for(50ms);
        }
    }
    ~OwnDisplay() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    const std::string& name() const { return name_; }

private:
    TempDir dir_;
    pid_t pid_ = -1;
    std::string name_;
};

// The labels of `keys` as the game gives them on `display`, from a child
// process (GLFW reads the layout of the display it starts on).
std::string labelsOn(const std::string& display, const std::vector<int>& keys) {
    int out[2];
    if (pipe(out) != 0) {
        return "no pipe";
    }
    const pid_t child = fork();
    if (child == 0) {
        close(out[0]);
        setenv("DISPLAY", display.c_str(), 1);
        std::string text;
        if (glfwInit()) {
            for (int key : keys) {
                text += keyLabel(key) + " ";
            }
            glfwTerminate();
        } else {
            text = "no GLFW";
        }
        const ssize_t written = write(out[1], text.data(), text.size());
        _exit(written == ssize_t(text.size()) ? 0 : 1);
    }
    close(out[1]);
    std::string text;
    char buffer[256];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) {
        text.append(buffer, std::size_t(n));
    }
    close(out[0]);
    waitpid(child, nullptr, 0);
    return text;
}

} // namespace

TEST(KeyLabels, AreTheOnesTheKeyboardLayoutPrints) {
    if (runCommand("which Xvfb setxkbmap | wc -l") != "2") {
        GTEST_SKIP() << "Xvfb and setxkbmap are needed (packages xvfb, x11-xkb-utils)";
    }
    OwnDisplay display;
    ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
    const std::vector<int> keys = {GLFW_KEY_M,         GLFW_KEY_Q, GLFW_KEY_W,  GLFW_KEY_A,
                                   GLFW_KEY_SEMICOLON, GLFW_KEY_2, GLFW_KEY_UP, GLFW_KEY_F1};
    ASSERT_EQ(runCommand("setxkbmap -display " + display.name() + " us 2>&1"), "");
    EXPECT_EQ(labelsOn(display.name(), keys), "M Q W A ; 2 Up F1 ");
    // A French keyboard: the key in the US M place prints ",", A and Q and
    // W and Z trade places; the bindings stay on their keys and say so.
    ASSERT_EQ(runCommand("setxkbmap -display " + display.name() + " fr 2>&1"), "");
    EXPECT_EQ(labelsOn(display.name(), keys), ", A Z Q M \xC3\xA9 Up F1 ");
}
