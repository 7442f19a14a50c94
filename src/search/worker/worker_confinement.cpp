#include "search/worker/worker_confinement.h"

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <fcntl.h>
#include <linux/audit.h>
#include <linux/capability.h>
#include <linux/filter.h>
#include <linux/landlock.h>
#include <linux/seccomp.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace zr::search::worker {

namespace {

// Newer than the system headers may know.
constexpr std::uint64_t kAccessFsRefer = 1ULL << 13;
constexpr std::uint64_t kAccessFsTruncate = 1ULL << 14;
constexpr std::uint64_t kAccessFsIoctlDev = 1ULL << 15;
constexpr std::uint64_t kAccessNetBindTcp = 1ULL << 0;
constexpr std::uint64_t kAccessNetConnectTcp = 1ULL << 1;
constexpr std::uint64_t kScopeAbstractUnixSocket = 1ULL << 0;
constexpr std::uint64_t kScopeSignal = 1ULL << 1;

// The ruleset attribute as of ABI 6; older kernels take a shorter prefix.
struct RulesetAttr {
    std::uint64_t handledAccessFs;
    std::uint64_t handledAccessNet;
    std::uint64_t scoped;
};

struct PathBeneathAttr {
    std::uint64_t allowedAccess;
    std::int32_t parentFd;
} __attribute__((packed));

constexpr std::uint64_t kWriteAccess = LANDLOCK_ACCESS_FS_WRITE_FILE | LANDLOCK_ACCESS_FS_REMOVE_DIR |
                                       LANDLOCK_ACCESS_FS_REMOVE_FILE | LANDLOCK_ACCESS_FS_MAKE_CHAR |
                                       LANDLOCK_ACCESS_FS_MAKE_DIR | LANDLOCK_ACCESS_FS_MAKE_REG |
                                       LANDLOCK_ACCESS_FS_MAKE_SOCK | LANDLOCK_ACCESS_FS_MAKE_FIFO |
                                       LANDLOCK_ACCESS_FS_MAKE_BLOCK | LANDLOCK_ACCESS_FS_MAKE_SYM;

// Inside its own folder a worker makes folders and regular files only.
constexpr std::uint64_t kWorkFolderAccess = LANDLOCK_ACCESS_FS_WRITE_FILE | LANDLOCK_ACCESS_FS_REMOVE_DIR |
                                            LANDLOCK_ACCESS_FS_REMOVE_FILE | LANDLOCK_ACCESS_FS_MAKE_DIR |
                                            LANDLOCK_ACCESS_FS_MAKE_REG;

bool AllowBeneath(int ruleset, const char *path, std::uint64_t access)
{
    const int fd = ::open(path, O_PATH | O_CLOEXEC);
    if (fd < 0)
        return false;
    PathBeneathAttr rule{access, fd};
    const bool ok = syscall(SYS_landlock_add_rule, ruleset, LANDLOCK_RULE_PATH_BENEATH, &rule, 0) == 0;
    ::close(fd);
    return ok;
}

void ApplyLandlock(const std::string &writableFolder, const std::string &sharedFolder,
                   ConfinementReport &report)
{
    const long abi = syscall(SYS_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION);
    if (abi <= 0) {
        report.notes.push_back(std::string("Landlock unavailable: ") + std::strerror(errno));
        return;
    }
    RulesetAttr attr{kWriteAccess, 0, 0};
    std::size_t attrSize = offsetof(RulesetAttr, handledAccessNet);
    std::uint64_t folderAccess = kWorkFolderAccess;
    if (abi >= 2) {
        // Linking or renaming between folders: within its own folder only.
        attr.handledAccessFs |= kAccessFsRefer;
        folderAccess |= kAccessFsRefer;
    }
    if (abi >= 3) {
        attr.handledAccessFs |= kAccessFsTruncate;
        folderAccess |= kAccessFsTruncate;
    }
    if (abi >= 4) {
        attr.handledAccessNet = kAccessNetBindTcp | kAccessNetConnectTcp;
        attrSize = offsetof(RulesetAttr, scoped);
    }
    if (abi >= 5)
        attr.handledAccessFs |= kAccessFsIoctlDev;
    if (abi >= 6) {
        attr.scoped = kScopeAbstractUnixSocket | kScopeSignal;
        attrSize = sizeof attr;
    }
    const int ruleset = static_cast<int>(syscall(SYS_landlock_create_ruleset, &attr, attrSize, 0));
    if (ruleset < 0) {
        report.notes.push_back(std::string("Landlock ruleset refused: ") + std::strerror(errno));
        return;
    }
    // Writes to /dev/null stay possible: libraries use it for output they drop.
    const bool folderOk = AllowBeneath(ruleset, writableFolder.c_str(), folderAccess);
    AllowBeneath(ruleset, "/dev/null", LANDLOCK_ACCESS_FS_WRITE_FILE);
    if (!sharedFolder.empty() && !AllowBeneath(ruleset, sharedFolder.c_str(), folderAccess))
        report.notes.push_back("Landlock: the cache folder cannot be opened: " + sharedFolder);
    if (!folderOk) {
        report.notes.push_back("Landlock: the work folder cannot be opened: " + writableFolder);
    } else if (syscall(SYS_landlock_restrict_self, ruleset, 0) == 0) {
        report.landlockAbi = static_cast<int>(abi);
        report.writesConfined = true;
        report.networkConfined = report.networkConfined || abi >= 4;
        report.signalsConfined = abi >= 6;
    } else {
        report.notes.push_back(std::string("Landlock restriction refused: ") + std::strerror(errno));
    }
    ::close(ruleset);
}

// Numbers newer than the system headers may know (x86-64).
constexpr std::uint32_t kSysIoUringSetup = 425;
constexpr std::uint32_t kSysIoUringEnter = 426;
constexpr std::uint32_t kSysIoUringRegister = 427;
constexpr std::uint32_t kSysFchmodat2 = 452;
constexpr std::uint32_t kSysSetxattrat = 463;
constexpr std::uint32_t kSysRemovexattrat = 466;

std::vector<std::uint32_t> MetadataCalls()
{
    return {SYS_chmod,       SYS_fchmod,       SYS_fchmodat,     kSysFchmodat2,  SYS_chown,
            SYS_fchown,      SYS_lchown,       SYS_fchownat,     SYS_utime,      SYS_utimes,
            SYS_futimesat,   SYS_utimensat,    SYS_setxattr,     SYS_lsetxattr,  SYS_fsetxattr,
            SYS_removexattr, SYS_lremovexattr, SYS_fremovexattr, kSysSetxattrat, kSysRemovexattrat};
}

// Offsets of the two 32-bit halves of a system-call argument (little endian).
constexpr std::uint32_t ArgLow(int index)
{
    return static_cast<std::uint32_t>(offsetof(seccomp_data, args) + sizeof(std::uint64_t) * index);
}
constexpr std::uint32_t ArgHigh(int index) { return ArgLow(index) + 4; }

#if defined(__SANITIZE_ADDRESS__)
// The leak checker stops the process with a traced helper at exit.
constexpr bool kSanitizerHelpers = true;
#else
constexpr bool kSanitizerHelpers = false;
#endif

// A classic BPF program: every call passes except the ones listed, which
// fail with EPERM (so a library sees an error, not a sudden death).
std::vector<sock_filter> FilterProgram()
{
    std::vector<sock_filter> p;
    const auto stmt = [&](std::uint16_t code, std::uint32_t k) { p.push_back(BPF_STMT(code, k)); };
    const auto deny = static_cast<std::uint32_t>(SECCOMP_RET_ERRNO | (EPERM & SECCOMP_RET_DATA));
    const auto enosys = static_cast<std::uint32_t>(SECCOMP_RET_ERRNO | (ENOSYS & SECCOMP_RET_DATA));
    // Another architecture's calls have other numbers: refuse them all.
    stmt(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch));
    p.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AUDIT_ARCH_X86_64, 1, 0));
    stmt(BPF_RET | BPF_K, deny);
    stmt(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr));
    // x32 calls share the architecture with the high bit set.
    p.push_back(BPF_JUMP(BPF_JMP | BPF_JGE | BPF_K, 0x40000000, 0, 1));
    stmt(BPF_RET | BPF_K, deny);

    std::vector<std::uint32_t> denied = {
        SYS_execve,          SYS_execveat,     SYS_fork,          SYS_vfork,
        SYS_connect,         SYS_bind,         SYS_listen,        SYS_accept,
        SYS_accept4,         SYS_mount,        SYS_umount2,       SYS_pivot_root,
        SYS_chroot,          SYS_setns,        SYS_unshare,       SYS_bpf,
        SYS_perf_event_open, SYS_keyctl,       SYS_add_key,       SYS_request_key,
        SYS_init_module,     SYS_finit_module, SYS_delete_module, SYS_kexec_load,
        SYS_reboot,          SYS_swapon,       SYS_swapoff,       SYS_process_vm_writev,
        SYS_userfaultfd,     SYS_mknod,        SYS_mknodat,       SYS_symlink,
        SYS_symlinkat,       SYS_link,         SYS_linkat,
    };
    // Sockets of any family (the worker talks through the pipes it was
    // given), and the ring, whose operations would pass around this filter.
    denied.insert(denied.end(), {SYS_socket, SYS_socketpair, SYS_sendmsg, SYS_sendmmsg, kSysIoUringSetup,
                                 kSysIoUringEnter, kSysIoUringRegister});
    if (!kSanitizerHelpers) {
        denied.push_back(SYS_ptrace);
        denied.push_back(SYS_process_vm_readv);
    }
    // Owner, mode, times and extended attributes. Landlock has no right for
    // them, so they are refused everywhere: the worker's own files keep the
    // mode and time they were created with, which nothing reads.
    const std::vector<std::uint32_t> metadata = MetadataCalls();
    denied.insert(denied.end(), metadata.begin(), metadata.end());
    for (const std::uint32_t nr : denied) {
        p.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, nr, 0, 1));
        stmt(BPF_RET | BPF_K, deny);
    }
    // Threads are made with clone3 first; its flags sit in memory the filter
    // cannot read, so it reports "not implemented" and the C library falls
    // back to clone, whose flags can be checked.
    p.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_clone3, 0, 1));
    stmt(BPF_RET | BPF_K, enosys);
    if (!kSanitizerHelpers) {  // clone only makes threads, never processes
        p.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_clone, 0, 4));
        stmt(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, args[0]));
        p.push_back(BPF_JUMP(BPF_JMP | BPF_JSET | BPF_K, CLONE_THREAD, 1, 0));
        stmt(BPF_RET | BPF_K, deny);
        stmt(BPF_RET | BPF_K, SECCOMP_RET_ALLOW);
    }
    // send() on a connected socket is harmless; an address names a socket
    // outside (both halves of the pointer are checked).
    p.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_sendto, 0, 6));
    stmt(BPF_LD | BPF_W | BPF_ABS, ArgLow(4));
    p.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, 0, 0, 2));
    stmt(BPF_LD | BPF_W | BPF_ABS, ArgHigh(4));
    p.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, 0, 1, 0));
    stmt(BPF_RET | BPF_K, deny);
    stmt(BPF_RET | BPF_K, SECCOMP_RET_ALLOW);
    // Typing into a terminal: the kernel takes the request as 32 bits, so only
    // the low half is compared.
    p.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_ioctl, 0, 5));
    stmt(BPF_LD | BPF_W | BPF_ABS, ArgLow(1));
    p.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, TIOCSTI, 2, 0));
    p.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, TIOCLINUX, 1, 0));
    stmt(BPF_RET | BPF_K, SECCOMP_RET_ALLOW);
    stmt(BPF_RET | BPF_K, deny);
    stmt(BPF_RET | BPF_K, SECCOMP_RET_ALLOW);
    return p;
}

void ApplySyscallFilter(ConfinementReport &report)
{
    std::vector<sock_filter> program = FilterProgram();
    sock_fprog fprog{static_cast<unsigned short>(program.size()), program.data()};
    // Every thread of the process, should a library have started one already.
    if (syscall(SYS_seccomp, SECCOMP_SET_MODE_FILTER, SECCOMP_FILTER_FLAG_TSYNC, &fprog) == 0) {
        report.syscallFilter = true;
        report.networkConfined = true;
    } else {
        report.notes.push_back(std::string("system-call filter refused: ") + std::strerror(errno));
    }
}

// Root's powers end here: nothing the worker does needs them, and an
// exploited library must not keep them.
void DropCapabilities(ConfinementReport &report)
{
    for (int cap = 0; cap <= 63; ++cap)
        if (prctl(PR_CAPBSET_DROP, cap, 0, 0, 0) != 0 && errno == EINVAL)
            break;  // past the last capability this kernel knows
    prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_CLEAR_ALL, 0, 0, 0);
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct none[_LINUX_CAPABILITY_U32S_3] = {};
    if (syscall(SYS_capset, &header, none) == 0)
        report.capabilitiesDropped = true;
    else
        report.notes.push_back(std::string("capabilities kept: ") + std::strerror(errno));
}

}  // namespace

std::string ConfinementReport::Text() const
{
    std::string text = std::string("no-new-privs ") + (noNewPrivileges ? "on" : "off") + ", seccomp " +
                       (syscallFilter ? "on" : "off") + ", landlock " +
                       (landlockAbi ? "ABI " + std::to_string(landlockAbi) : std::string("off")) +
                       " (writes " + (writesConfined ? "confined" : "free") + ", network " +
                       (networkConfined ? "closed" : "open") + ", signals " +
                       (signalsConfined ? "scoped" : "free") + "), capabilities " +
                       (capabilitiesDropped ? "none" : "kept");
    for (const auto &note : notes)
        text += "; " + note;
    return text;
}

ConfinementReport ConfineWorker(const std::string &writableFolder, const std::string &sharedFolder)
{
    ConfinementReport report;
    report.noNewPrivileges = prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0;
    if (!report.noNewPrivileges)
        report.notes.push_back(std::string("no-new-privs refused: ") + std::strerror(errno));
    DropCapabilities(report);
    ApplyLandlock(writableFolder, sharedFolder, report);
    if (report.noNewPrivileges)
        ApplySyscallFilter(report);
    return report;
}

}  // namespace zr::search::worker
