#pragma once

// What the system refuses a process: a full disk, a file grown to its limit, a file its modes
// close. Some of it needs root.

#include <QtCore>
#include <array>
#include <csignal>
#include <linux/capability.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

// Until the guard goes, files written by this process stop growing at `bytes` (SIGXFSZ ignored,
// write fails EFBIG).
inline auto fileSizeLimit(rlim_t bytes) {
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{std::min(bytes, saved.rlim_max), saved.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
    return qScopeGuard([=] {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, handler);
    });
}

// As root, file modes stop neither reading nor writing; until the guard goes, with these
// capabilities off, they do again.
inline auto fileModesApply() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    std::array<__user_cap_data_struct, 2> saved{};
    bool changed = false;
    if (syscall(SYS_capget, &header, saved.data()) == 0) {
        auto reduced = saved;
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        changed = syscall(SYS_capset, &header, reduced.data()) == 0;
    }
    return qScopeGuard([=]() mutable {
        if (changed)
            syscall(SYS_capset, &header, saved.data());
    });
}

// Mounts a tmpfs of `size` ("64k") on `dir` in a mount namespace of this process's own, so that
// nothing is seen outside it and nothing stays mounted after it; the reason when it cannot. Needs
// root (a user namespace would need a process with one thread, and the test library runs a
// watchdog).
inline QString mountSmallDisk(const QString &dir, const char *size) {
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr))
        return QStringLiteral("no mount namespace of its own: ") + qt_error_string(errno);
    if (mount("tmpfs", QFile::encodeName(dir).constData(), "tmpfs", 0,
              QByteArray("size=").append(size).constData()) != 0)
        return QStringLiteral("cannot mount a tmpfs: ") + qt_error_string(errno);
    return {};
}
