// The real terminal calls on a pseudo-terminal: exclusive access, raw mode and the
// non-standard line speed.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/LineSpeed.h"
#include "platform/SerialLine.h"

namespace harbrix {
namespace {

class PseudoTerminal {
public:
    PseudoTerminal() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0) slave_ = ptsname(master_);
    }
    ~PseudoTerminal() {
        if (master_ >= 0) close(master_);
    }
    const std::string& slave() const { return slave_; }
    int master() const { return master_; }

private:
    int master_ = -1;
    std::string slave_;
};

TEST(PosixSerialLineTest, ConfiguresRawModeAndAnyLineSpeed) {
    PseudoTerminal pty;
    ASSERT_FALSE(pty.slave().empty());
    auto line = SerialLine::system();
    struct stat info {};
    ASSERT_EQ(stat(pty.slave().c_str(), &info), 0);
    EXPECT_EQ(line->fileNumber(pty.slave()), info.st_ino);
    EXPECT_EQ(line->fileNumber("/nonexistent/cu.usbserial-X"), 0u);

    const int fd = line->open(pty.slave());
    ASSERT_GE(fd, 0);
    EXPECT_TRUE(line->clearStatusFlags(fd));
    EXPECT_EQ(fcntl(fd, F_GETFL) & O_NONBLOCK, 0) << "the port works in blocking mode";
    ASSERT_TRUE(line->configureRaw(fd));
    EXPECT_TRUE(line->setSpeed(fd, 2000000));
    EXPECT_EQ(currentLineSpeed(fd), 2000000u);
    EXPECT_EQ(currentLineSpeed(pty.master()), 2000000u) << "the far end sees the host's speed";

    // A read with nothing on the line returns after the 0.1 s silence, with nothing.
    std::uint8_t byte = 0;
    EXPECT_EQ(line->read(fd, &byte, 1), 0);
    ASSERT_EQ(write(pty.master(), "\x2a", 1), 1);
    EXPECT_EQ(line->read(fd, &byte, 1), 1);
    EXPECT_EQ(byte, 0x2a);
    line->close(fd);

    EXPECT_EQ(line->open("/nonexistent/cu.usbserial-X"), -ENOENT);
}

// Exclusive access keeps a second program off the line. The kernel lets root past it, so
// when the tests run as root the second open is made by a child that gives up root first.
TEST(PosixSerialLineTest, ExclusiveAccessRefusesASecondOpen) {
    PseudoTerminal pty;
    ASSERT_FALSE(pty.slave().empty());
    auto line = SerialLine::system();
    const int fd = line->open(pty.slave());
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(line->claimExclusive(fd));

    uid_t unprivileged = getuid();
    gid_t group = getgid();
    if (unprivileged == 0) {
        const passwd* nobody = getpwnam("nobody");
        if (nobody == nullptr) GTEST_SKIP() << "running as root and there is no user to drop to";
        unprivileged = nobody->pw_uid;
        group = nobody->pw_gid;
        ASSERT_EQ(chmod(pty.slave().c_str(), 0666), 0);
    }
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (getuid() == 0 && (setgid(group) != 0 || setuid(unprivileged) != 0)) _exit(3);
        const int second = open(pty.slave().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        _exit(second < 0 && errno == EBUSY ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the second open was not refused with EBUSY";
    line->close(fd);
}

}  // namespace
}  // namespace harbrix
