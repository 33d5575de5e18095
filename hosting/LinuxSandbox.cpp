// The brain worker's confinement on Linux: its own session and network namespace,
// no new privileges, no core files, a memory limit, Landlock rules that leave only
// the system's library folders readable, and a seccomp filter that allows what the
// worker needs and traps everything else (SIGSYS names the call).
#include "hosting/Sandbox.h"

#include <algorithm>
#include <cstddef>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <link.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <linux/landlock.h>
#include <sched.h>
#include <seccomp.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <termios.h>
#include <unistd.h>
#include <ucontext.h>

#if defined(__x86_64__)
// The one instruction a brain worker's channel may be used from: a system call
// made with the number and six arguments in the calling convention's registers,
// answering the result or minus the error number.
extern "C" long shamblex_pinned_system_call(long, long, long, long, long, long, long);
extern "C" char shamblex_pinned_system_call_return;
asm(R"(
    .text
    .globl shamblex_pinned_system_call
    .type shamblex_pinned_system_call, @function
shamblex_pinned_system_call:
    mov %rdi, %rax
    mov %rsi, %rdi
    mov %rdx, %rsi
    mov %rcx, %rdx
    mov %r8, %r10
    mov %r9, %r8
    mov 8(%rsp), %r9
    syscall
    .globl shamblex_pinned_system_call_return
shamblex_pinned_system_call_return:
    ret
    .size shamblex_pinned_system_call, .-shamblex_pinned_system_call
)");
#elif defined(__aarch64__)
extern "C" long shamblex_pinned_system_call(long, long, long, long, long, long, long);
extern "C" char shamblex_pinned_system_call_return;
asm(R"(
    .text
    .globl shamblex_pinned_system_call
    .type shamblex_pinned_system_call, %function
shamblex_pinned_system_call:
    mov x8, x0
    mov x0, x1
    mov x1, x2
    mov x2, x3
    mov x3, x4
    mov x4, x5
    mov x5, x6
    svc #0
    .globl shamblex_pinned_system_call_return
shamblex_pinned_system_call_return:
    ret
    .size shamblex_pinned_system_call, .-shamblex_pinned_system_call
)");
#endif

namespace shamblex {

namespace {

WorkerControl* control = nullptr;

constexpr int crashSignals[] = { SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGTRAP, SIGSYS };

// Room for the handler when a brain overflows its stack.
alignas(16) char alternateStack[64 * 1024];

std::uint64_t instructionAddress(void* context)
{
#if defined(__x86_64__)
    return static_cast<std::uint64_t>(static_cast<ucontext_t*>(context)->uc_mcontext.gregs[REG_RIP]);
#elif defined(__aarch64__)
    return static_cast<std::uint64_t>(static_cast<ucontext_t*>(context)->uc_mcontext.pc);
#else
    (void)context;
    return 0;
#endif
}

// Writes down how the worker ends, then lets the signal end it as it would have.
void onFatalSignal(int signal, siginfo_t* info, void* context)
{
    if (control) {
        if (signal == SIGSYS)
            control->refusedSystemCall.store(info->si_syscall, std::memory_order_relaxed);
        control->faultAddress.store(instructionAddress(context), std::memory_order_relaxed);
        control->fatalSignal.store(signal, std::memory_order_release);
    }
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signal, &fallback, nullptr);
    // A refused call returns from the handler; the signal ends the worker once the
    // handler is left. A fault ends it when its instruction runs again.
    if (signal == SIGSYS || signal == SIGABRT || signal == SIGTRAP)
        raise(signal);
}

int landlockAbi()
{
    long abi = syscall(SYS_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION);
    return abi < 0 ? 0 : static_cast<int>(abi);
}

// Every file-system right Landlock knows at an ABI, as far as this program knows them
// (Debian 12's headers: ABI 2).
std::uint64_t handledRights(int abi)
{
    std::uint64_t rights = LANDLOCK_ACCESS_FS_EXECUTE | LANDLOCK_ACCESS_FS_WRITE_FILE | LANDLOCK_ACCESS_FS_READ_FILE
        | LANDLOCK_ACCESS_FS_READ_DIR | LANDLOCK_ACCESS_FS_REMOVE_DIR | LANDLOCK_ACCESS_FS_REMOVE_FILE
        | LANDLOCK_ACCESS_FS_MAKE_CHAR | LANDLOCK_ACCESS_FS_MAKE_DIR | LANDLOCK_ACCESS_FS_MAKE_REG
        | LANDLOCK_ACCESS_FS_MAKE_SOCK | LANDLOCK_ACCESS_FS_MAKE_FIFO | LANDLOCK_ACCESS_FS_MAKE_BLOCK
        | LANDLOCK_ACCESS_FS_MAKE_SYM;
    if (abi >= 2)
        rights |= LANDLOCK_ACCESS_FS_REFER;
    return rights;
}

constexpr int knownLandlockAbi = 2;

// Only the system's libraries, read-only: the brains' own files come as sealed copies
// through descriptors, which Landlock does not stop.
std::optional<std::string> restrictFiles(std::optional<int> limit)
{
    int abi = std::min(landlockAbi(), knownLandlockAbi);
    if (limit)
        abi = std::min(abi, *limit);
    if (abi < 1)
        return limit && *limit < 1 ? "Landlock is switched off" : "the kernel has no Landlock; files are guarded by the system call filter alone";
    landlock_ruleset_attr attributes {};
    attributes.handled_access_fs = handledRights(abi);
    int ruleset = static_cast<int>(syscall(SYS_landlock_create_ruleset, &attributes, sizeof attributes, 0));
    if (ruleset < 0)
        return "Landlock refused a ruleset: " + std::string(std::strerror(errno));
    const std::uint64_t readDirectory
        = LANDLOCK_ACCESS_FS_READ_FILE | LANDLOCK_ACCESS_FS_READ_DIR | LANDLOCK_ACCESS_FS_EXECUTE;
    const std::pair<const char*, std::uint64_t> allowed[] = { { "/lib", readDirectory }, { "/lib32", readDirectory },
        { "/lib64", readDirectory }, { "/usr/lib", readDirectory }, { "/usr/lib32", readDirectory },
        { "/usr/lib64", readDirectory }, { "/usr/local/lib", readDirectory },
        { "/etc/ld.so.cache", LANDLOCK_ACCESS_FS_READ_FILE } };
    for (const auto& [path, rights] : allowed) {
        int place = open(path, O_PATH | O_CLOEXEC);
        if (place < 0)
            continue;
        landlock_path_beneath_attr beneath {};
        beneath.allowed_access = rights;
        beneath.parent_fd = place;
        syscall(SYS_landlock_add_rule, ruleset, LANDLOCK_RULE_PATH_BENEATH, &beneath, 0);
        close(place);
    }
    long restricted = syscall(SYS_landlock_restrict_self, ruleset, 0);
    int error = errno;
    close(ruleset);
    if (restricted != 0)
        return "Landlock could not be applied: " + std::string(std::strerror(error));
    return std::nullopt;
}

// The system calls a worker may make; any other traps (SIGSYS). Calls that glibc tries
// first and falls back from are answered "not implemented", so that it uses the
// older call whose arguments the filter can read.
std::optional<std::string> filterSystemCalls()
{
    scmp_filter_ctx filter = seccomp_init(SCMP_ACT_TRAP);
    if (!filter)
        return "the system call filter could not be made";
    auto allow = [&](int call) { seccomp_rule_add(filter, SCMP_ACT_ALLOW, call, 0); };
    for (int call : { SCMP_SYS(read), SCMP_SYS(write), SCMP_SYS(readv), SCMP_SYS(writev), SCMP_SYS(pread64),
             SCMP_SYS(close), SCMP_SYS(fstat), SCMP_SYS(newfstatat), SCMP_SYS(statx), SCMP_SYS(lseek),
             SCMP_SYS(mmap), SCMP_SYS(munmap), SCMP_SYS(mprotect), SCMP_SYS(mremap), SCMP_SYS(madvise),
             SCMP_SYS(mincore), SCMP_SYS(brk), SCMP_SYS(access), SCMP_SYS(faccessat), SCMP_SYS(faccessat2),
             SCMP_SYS(readlink), SCMP_SYS(readlinkat), SCMP_SYS(getcwd), SCMP_SYS(getdents64), SCMP_SYS(dup),
             SCMP_SYS(dup2), SCMP_SYS(dup3), SCMP_SYS(pipe), SCMP_SYS(pipe2), SCMP_SYS(poll), SCMP_SYS(ppoll),
             SCMP_SYS(select), SCMP_SYS(pselect6), SCMP_SYS(recvmsg), SCMP_SYS(sendmsg), SCMP_SYS(recvfrom),
             SCMP_SYS(sendto), SCMP_SYS(futex), SCMP_SYS(set_robust_list), SCMP_SYS(get_robust_list),
             SCMP_SYS(rseq), SCMP_SYS(set_tid_address), SCMP_SYS(sched_yield), SCMP_SYS(sched_getaffinity),
             SCMP_SYS(exit), SCMP_SYS(exit_group), SCMP_SYS(restart_syscall), SCMP_SYS(rt_sigprocmask),
             SCMP_SYS(rt_sigreturn), SCMP_SYS(rt_sigpending), SCMP_SYS(rt_sigsuspend), SCMP_SYS(rt_sigtimedwait),
             SCMP_SYS(sigaltstack), SCMP_SYS(getpid), SCMP_SYS(getppid), SCMP_SYS(gettid), SCMP_SYS(getuid),
             SCMP_SYS(geteuid), SCMP_SYS(getgid), SCMP_SYS(getegid), SCMP_SYS(getresuid), SCMP_SYS(getresgid),
             SCMP_SYS(getgroups), SCMP_SYS(uname), SCMP_SYS(sysinfo), SCMP_SYS(getrlimit), SCMP_SYS(getrusage),
             SCMP_SYS(times), SCMP_SYS(clock_gettime), SCMP_SYS(clock_getres), SCMP_SYS(gettimeofday),
             SCMP_SYS(time), SCMP_SYS(nanosleep), SCMP_SYS(clock_nanosleep), SCMP_SYS(getrandom),
             SCMP_SYS(membarrier), SCMP_SYS(arch_prctl), SCMP_SYS(getcpu) })
        allow(call);

    // Opening for reading only: no writing, creating, emptying or hidden files.
    const std::uint64_t writing = O_WRONLY | O_RDWR | O_CREAT | O_TRUNC | O_APPEND | __O_TMPFILE;
    seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(openat), 1, SCMP_A2(SCMP_CMP_MASKED_EQ, writing, 0));
    seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(open), 1, SCMP_A1(SCMP_CMP_MASKED_EQ, writing, 0));
    // Threads only: a clone without CLONE_THREAD would be a new process.
    seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(clone), 1, SCMP_A0(SCMP_CMP_MASKED_EQ, CLONE_THREAD, CLONE_THREAD));
    for (int call : { SCMP_SYS(clone3), SCMP_SYS(openat2) })
        seccomp_rule_add(filter, SCMP_ACT_ERRNO(ENOSYS), call, 0);
    // Signals only to itself, and the handler that names a refused call stays.
    const auto self = static_cast<scmp_datum_t>(getpid());
    seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(kill), 1, SCMP_A0(SCMP_CMP_EQ, self));
    seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(tgkill), 1, SCMP_A0(SCMP_CMP_EQ, self));
    seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(rt_sigaction), 1, SCMP_A0(SCMP_CMP_NE, SIGSYS));
    // Limits may be read, not set.
    seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(prlimit64), 1, SCMP_A2(SCMP_CMP_EQ, 0));
    // Descriptor flags and duplicates; not F_SETOWN or F_SETSIG, which would aim
    // signals at other processes.
    for (int command : { F_DUPFD, F_GETFD, F_SETFD, F_GETFL, F_SETFL, F_DUPFD_CLOEXEC, F_GET_SEALS })
        seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(fcntl), 1, SCMP_A1(SCMP_CMP_EQ, static_cast<scmp_datum_t>(command)));
    // The terminal may be asked whether it is one, never fed keystrokes (TIOCSTI).
    for (unsigned long request : { static_cast<unsigned long>(TCGETS), static_cast<unsigned long>(FIONREAD) })
        seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(ioctl), 1, SCMP_A1(SCMP_CMP_EQ, request));
    // A thread may name itself, and may confine itself further (the worker guards
    // its channel so), but not another thread: no filter synchronised across threads.
    for (int option : { PR_SET_NAME, PR_GET_NAME, PR_SET_NO_NEW_PRIVS })
        seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(prctl), 1, SCMP_A0(SCMP_CMP_EQ, static_cast<scmp_datum_t>(option)));
    seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(seccomp), 2, SCMP_A0(SCMP_CMP_EQ, SECCOMP_SET_MODE_FILTER),
        SCMP_A1(SCMP_CMP_MASKED_EQ, SECCOMP_FILTER_FLAG_TSYNC, 0));
    seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(seccomp), 1, SCMP_A0(SCMP_CMP_EQ, SECCOMP_GET_ACTION_AVAIL));

    int loaded = seccomp_load(filter);
    seccomp_release(filter);
    if (loaded != 0)
        return "the system call filter could not be loaded: " + std::string(std::strerror(-loaded));
    return std::nullopt;
}

}

void recordWorkerEndings(WorkerControl& block)
{
    control = &block;
    stack_t stack {};
    stack.ss_sp = alternateStack;
    stack.ss_size = sizeof alternateStack;
    sigaltstack(&stack, nullptr);
    for (int signal : crashSignals) {
        struct sigaction action {};
        action.sa_sigaction = onFatalSignal;
        action.sa_flags = SA_SIGINFO | SA_ONSTACK;
        sigemptyset(&action.sa_mask);
        sigaction(signal, &action, nullptr);
    }
}

std::vector<std::string> enterSandbox(const SandboxSettings& settings, std::int64_t host)
{
    std::vector<std::string> notes;
    // The worker never outlives its host, even one killed at once. (Set again below:
    // a new user namespace clears it.)
    auto followHost = [host] {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (host > 0 && getppid() != static_cast<pid_t>(host))
            _exit(1);
    };
    followHost();
    if (!settings.enabled)
        return notes;
    // A session of its own: no terminal to inject keystrokes into.
    setsid();
    rlimit none { 0, 0 };
    setrlimit(RLIMIT_CORE, &none);
#if !defined(__SANITIZE_ADDRESS__)
    if (settings.memoryLimit > 0) {
        rlimit memory { settings.memoryLimit, settings.memoryLimit };
        setrlimit(RLIMIT_AS, &memory);
    }
#endif
    // A network of its own, with nothing in it, where the system lets an ordinary
    // user make one (and always as root).
    if (unshare(CLONE_NEWUSER | CLONE_NEWNET) != 0 && unshare(CLONE_NEWNET) != 0)
        notes.push_back("no network namespace of its own (" + std::string(std::strerror(errno))
            + "); the system call filter keeps the network out");
    followHost();
    prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0);
    if (auto note = restrictFiles(settings.landlockLimit))
        notes.push_back(*note);
    if (auto failure = filterSystemCalls()) {
        // Without the filter nothing keeps a brain in: the worker gives up.
        std::fprintf(stderr, "shamblex worker: %s\n", failure->c_str());
        _exit(1);
    }
    return notes;
}

PinnedSystemCall pinnedSystemCall()
{
#if defined(__x86_64__) || defined(__aarch64__)
    return shamblex_pinned_system_call;
#else
    return nullptr;
#endif
}

void pinDescriptor(NativeHandle descriptor)
{
#if defined(__x86_64__) || defined(__aarch64__)
    // A program of BPF, written by hand since libseccomp cannot compare the address of
    // the calling instruction: for each call that takes a descriptor first, one of
    // this descriptor is allowed only from the pinned instruction; dup2 and dup3 may
    // not put another descriptor in its place either.
    const auto address = reinterpret_cast<std::uint64_t>(&shamblex_pinned_system_call_return);
    const auto low = static_cast<std::uint32_t>(address);
    const auto high = static_cast<std::uint32_t>(address >> 32);
    const auto pinned = static_cast<std::uint32_t>(descriptor);
    constexpr std::uint32_t ipLow = offsetof(seccomp_data, instruction_pointer);
    constexpr std::uint32_t ipHigh = ipLow + 4;
    constexpr std::uint32_t firstArgument = offsetof(seccomp_data, args);
    constexpr std::uint32_t secondArgument = firstArgument + 8;
    // Calls that name a descriptor first; dup2 and dup3 also name one second, which
    // they would put in its place.
    const long byFirst[] = { SYS_read, SYS_write, SYS_readv, SYS_writev, SYS_pread64, SYS_pwrite64, SYS_recvmsg,
        SYS_sendmsg, SYS_recvfrom, SYS_sendto, SYS_close, SYS_dup, SYS_fcntl, SYS_ioctl, SYS_shutdown, SYS_lseek,
        SYS_ppoll,
#if defined(__x86_64__)
        SYS_poll,
#endif
    };
    const long bySecond[] = { SYS_dup3,
#if defined(__x86_64__)
        SYS_dup2,
#endif
    };
    const std::size_t firstCount = sizeof byFirst / sizeof byFirst[0];
    const std::size_t secondCount = sizeof bySecond / sizeof bySecond[0];
    std::vector<sock_filter> program;
    auto add = [&](sock_filter instruction) { program.push_back(instruction); };
#if defined(__x86_64__)
    constexpr std::uint32_t machine = AUDIT_ARCH_X86_64;
#else
    constexpr std::uint32_t machine = AUDIT_ARCH_AARCH64;
#endif
    // Another machine's calls (the 32-bit ones on x86-64) are the first filter's to refuse.
    add(BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)));
    add(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, machine, 1, 0));
    add(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
    add(BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)));
    // The blocks that follow the comparisons, in order:
    //   allow:       RET ALLOW                                  (1)
    //   second:      LD arg1; JEQ pinned -> pinned, else first  (2)
    //   first:       LD arg0; JEQ pinned -> pinned, else allow2 (2)
    //   allow2:      RET ALLOW                                  (1)
    //   pinned:      LD ip low; JEQ; LD ip high; JEQ; ALLOW; TRAP (6)
    // A comparison at index k (counted from the first) jumps forward by the distance
    // to its block, less one.
    const std::size_t comparisons = secondCount + firstCount;
    for (std::size_t k = 0; k < secondCount; ++k) {
        auto toSecond = static_cast<std::uint8_t>(comparisons - k - 1 + 1);
        add(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<std::uint32_t>(bySecond[k]), toSecond, 0));
    }
    for (std::size_t k = secondCount; k < comparisons; ++k) {
        auto toFirst = static_cast<std::uint8_t>(comparisons - k - 1 + 1 + 2);
        add(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<std::uint32_t>(byFirst[k - secondCount]), toFirst, 0));
    }
    add(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
    // second: the descriptor put in the channel's place; on to the first otherwise
    add(BPF_STMT(BPF_LD | BPF_W | BPF_ABS, secondArgument));
    add(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, pinned, 3, 0));
    // first: the kernel reads a descriptor as a 32-bit int
    add(BPF_STMT(BPF_LD | BPF_W | BPF_ABS, firstArgument));
    add(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, pinned, 1, 0));
    add(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
    // pinned: allowed from the pinned instruction only
    add(BPF_STMT(BPF_LD | BPF_W | BPF_ABS, ipLow));
    add(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, low, 0, 3));
    add(BPF_STMT(BPF_LD | BPF_W | BPF_ABS, ipHigh));
    add(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, high, 0, 1));
    add(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
    add(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_TRAP));
    sock_fprog filter { static_cast<unsigned short>(program.size()), program.data() };
    if (syscall(SYS_seccomp, SECCOMP_SET_MODE_FILTER, 0, &filter) != 0) {
        std::fprintf(stderr, "shamblex worker: the channel could not be guarded: %s\n", std::strerror(errno));
        _exit(1);
    }
#else
    (void)descriptor;
#endif
}

std::optional<std::pair<std::uint64_t, std::uint64_t>> codeRangeOf(void* handle)
{
    link_map* map = nullptr;
    if (!handle || dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0 || !map)
        return std::nullopt;
    struct Search {
        ElfW(Addr) base;
        std::uint64_t start = ~std::uint64_t { 0 };
        std::uint64_t end = 0;
    } search { map->l_addr };
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void* data) {
            auto& wanted = *static_cast<Search*>(data);
            if (info->dlpi_addr != wanted.base)
                return 0;
            for (ElfW(Half) i = 0; i < info->dlpi_phnum; ++i) {
                const ElfW(Phdr)& segment = info->dlpi_phdr[i];
                if (segment.p_type != PT_LOAD || !(segment.p_flags & PF_X))
                    continue;
                std::uint64_t start = info->dlpi_addr + segment.p_vaddr;
                wanted.start = std::min(wanted.start, start);
                wanted.end = std::max(wanted.end, start + segment.p_memsz);
            }
            return 1;
        },
        &search);
    if (search.end <= search.start)
        return std::nullopt;
    return std::pair { search.start, search.end };
}

std::string systemCallName(std::int32_t number)
{
    char* name = seccomp_syscall_resolve_num_arch(SCMP_ARCH_NATIVE, number);
    if (!name)
        return "system call " + std::to_string(number);
    std::string text = name;
    std::free(name);
    return text;
}

}
