#pragma once

// Tests of refused writes need an ordinary user: a read-only folder refuses nothing to root. Started as
// root, such a suite runs whole in a child process that has given up root, so that nothing else in the
// parent, nor any other suite, runs as "nobody" by accident. The child may not enter the source and build
// trees (a checkout in /root), so it gets readable copies of the pages and of the font configuration, and
// runs this same program file, opened while still root.

#include "testsupport.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <grp.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace testsupport {

constexpr uid_t kNobody = 65534;

enum class SmallFileSystem { No, Yes };

namespace detail {
inline bool ownedByNobody(const QString& path) {
    return mkdir(QFile::encodeName(path).constData(), 0700) == 0 &&
           chown(QFile::encodeName(path).constData(), kNobody, kNobody) == 0;
}

[[noreturn]] inline void fail(const char* what) {
    std::fprintf(stderr, "cannot run the suite as an ordinary user: %s\n", what);
    std::fflush(stderr);
    _exit(1);
}

inline std::vector<QByteArray> ownArguments() {
    QFile file(QStringLiteral("/proc/self/cmdline"));
    if (!file.open(QIODevice::ReadOnly)) fail("no /proc/self/cmdline");
    std::vector<QByteArray> args;
    for (const QByteArray& arg : file.readAll().split('\0'))
        args.push_back(arg);
    if (!args.empty() && args.back().isEmpty()) args.pop_back();
    return args;
}
} // namespace detail

// Call from the suite's static initMain(), before Qt starts. Returns at once to a process that is not root;
// started as root, runs the suite as "nobody" in a child and ends with the child's result. With a small
// file system, the child also finds a 256 KiB tmpfs of its own to fill at $SOLVENNA_TEST_SMALL_FS.
inline void runAsOrdinaryUser(SmallFileSystem small = SmallFileSystem::No) {
    if (geteuid() != 0) return;
    char pattern[] = "/tmp/solvenna-suite-XXXXXX";
    if (!mkdtemp(pattern)) detail::fail("no temporary folder");
    const QString work = QString::fromLocal8Bit(pattern);
    chmod(pattern, 0755);
    if (!copyReadable(dataFolder(), work + QStringLiteral("/Data"))) detail::fail("cannot copy the pages");
    qputenv("SOLVENNA_TEST_DATA_DIR", QFile::encodeName(work + QStringLiteral("/Data")));
    if (const QString fonts = qEnvironmentVariable("FONTCONFIG_FILE"); !fonts.isEmpty()) {
        if (!copyReadable(fonts, work + QStringLiteral("/fonts.conf")))
            detail::fail("cannot copy the fonts.conf");
        qputenv("FONTCONFIG_FILE", QFile::encodeName(work + QStringLiteral("/fonts.conf")));
    }
    if (!detail::ownedByNobody(work + QStringLiteral("/home")) ||
        !detail::ownedByNobody(work + QStringLiteral("/runtime")))
        detail::fail("cannot make the home folder");
    qputenv("HOME", QFile::encodeName(work + QStringLiteral("/home")));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(work + QStringLiteral("/runtime")));
    qunsetenv("XDG_CONFIG_HOME");
    qunsetenv("XDG_CACHE_HOME");

    // A mount namespace of this process and its child alone: the tmpfs vanishes with them.
    const QByteArray smallPath = QFile::encodeName(work + QStringLiteral("/small"));
    if (small == SmallFileSystem::Yes && mkdir(smallPath.constData(), 0755) == 0 &&
        unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
        mount("solvenna-test", smallPath.constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=256k,mode=0777") ==
            0)
        qputenv("SOLVENNA_TEST_SMALL_FS", smallPath);

    const int self = open("/proc/self/exe", O_RDONLY | O_CLOEXEC);
    if (self < 0) detail::fail("cannot open the program file");
    std::vector<QByteArray> args = detail::ownArguments();
    std::vector<char*> argv;
    for (QByteArray& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::fflush(nullptr);

    const pid_t child = fork();
    if (child < 0) detail::fail("cannot fork");
    if (child == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0 ||
            geteuid() != kNobody)
            detail::fail("cannot become nobody");
        fexecve(self, argv.data(), environ);
        detail::fail("cannot start the program file again");
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    umount2(smallPath.constData(), MNT_DETACH);
    QDir(work).removeRecursively();
    std::fflush(nullptr);
    if (WIFSIGNALED(status)) {
        // CTest then tells the crash by its name.
        signal(WTERMSIG(status), SIG_DFL);
        raise(WTERMSIG(status));
    }
    _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 1);
}

} // namespace testsupport
