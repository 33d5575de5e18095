// Brains that attack their host, one attack per build (ATTEMPT_x names it), made
// from the brain's start-up code when FROM_STARTUP is defined and from its first call
// otherwise. What an attack gets that it should not is written to standard error as
// a line "BREACH: what", which the tests look for; most attacks never get that far,
// because the sandbox ends the worker at the attempt.
//
// The paths under HOSTILE_OUTSIDE (a folder of the build's) and the port HOSTILE_PORT
// are the test's (hostile_brains.sh, which is told the same); the environment variable
// SHAMBLEX_HOSTILE_MARK is set by the test for the host only.
#include "brains/BrainRecord.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#if defined(_WIN32)
#include <windows.h>
#else
#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <termios.h>
#include <unistd.h>
extern char** environ;
#endif

namespace {

// A write to address 0 the compiler cannot see coming (a plain null write is
// undefined, and an optimiser may drop the code around it).
[[maybe_unused]] void crashHere()
{
    volatile std::uintptr_t zero = 0;
    *reinterpret_cast<volatile int*>(static_cast<std::uintptr_t>(zero)) = 1;
}

[[maybe_unused]] void breach(const char* what)
{
    std::fprintf(stderr, "BREACH: %s\n", what);
    std::fflush(stderr);
}

#if !defined(_WIN32)
constexpr const char* secret = HOSTILE_OUTSIDE "/secret";

// A worker message of the host's framing: type, length, no handles, payload.
[[maybe_unused]] void forge(int channel, std::uint32_t type, const std::string& payload)
{
    std::uint32_t header[3] = { type, static_cast<std::uint32_t>(payload.size()), 0 };
    ssize_t ignored = write(channel, header, sizeof header);
    ignored = write(channel, payload.data(), payload.size());
    (void)ignored;
}

// Finds the block the worker shares with its host by its mark, reading only what
// can be read (a write of a page into a pipe fails with EFAULT where nothing is).
[[maybe_unused]] unsigned char* findControlBlock(const void* near)
{
    int probe[2];
    if (pipe(probe) != 0)
        return nullptr;
    const std::uintptr_t page = 4096;
    const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(near) & ~(page - 1);
    const std::uint32_t mark = 0x5348424Du;
    for (std::uintptr_t distance = 0; distance < (std::uintptr_t { 1 } << 31); distance += page) {
        for (std::uintptr_t at : { start - distance, start + distance }) {
            if (write(probe[1], reinterpret_cast<const void*>(at), 4) != 4)
                continue;
            char drain[4];
            ssize_t ignored = read(probe[0], drain, 4);
            (void)ignored;
            if (std::memcmp(reinterpret_cast<const void*>(at), &mark, 4) == 0)
                return reinterpret_cast<unsigned char*>(at);
        }
    }
    return nullptr;
}
#endif

void attempt()
{
#if defined(ATTEMPT_CRASH)
    crashHere();
#elif defined(ATTEMPT_EXIT)
#if defined(_WIN32)
    ExitProcess(0);
#else
    _exit(0);
#endif
#elif defined(ATTEMPT_TERMINATE_SELF)
#if defined(_WIN32)
    TerminateProcess(GetCurrentProcess(), 0);
#else
    kill(getpid(), SIGKILL);
#endif
#elif defined(ATTEMPT_THREAD_CRASH)
    std::thread(crashHere).detach();
#if defined(_WIN32)
    Sleep(2000);
#else
    sleep(2);
#endif
#elif defined(ATTEMPT_ENDLESS_LOOP)
    volatile int stop = 0;
    while (stop == 0) {
    }
#elif defined(ATTEMPT_STDOUT_FLOOD)
    // 80 MB on standard output, which the host's files must never see.
    static char line[1024];
    std::memset(line, 'x', sizeof line - 1);
    line[sizeof line - 1] = '\n';
    for (int i = 0; i < 80 * 1024; ++i)
        std::fwrite(line, 1, sizeof line, stdout);
    std::fflush(stdout);
#elif defined(_WIN32)
#error "this attempt is one for POSIX systems"
#elif defined(ATTEMPT_READ_SECRET)
    int file = open(secret, O_RDONLY);
    char text[64] = {};
    if (file >= 0 && read(file, text, sizeof text - 1) > 0)
        breach("read the secret");
#elif defined(ATTEMPT_WRITE_FILE)
    if (open(HOSTILE_OUTSIDE "/written", O_WRONLY | O_CREAT, 0644) >= 0)
        breach("wrote a file");
#elif defined(ATTEMPT_APPEND_SECRET)
    if (open(secret, O_WRONLY | O_APPEND) >= 0)
        breach("opened the secret for writing");
#elif defined(ATTEMPT_CHMOD)
    if (chmod(secret, 0777) == 0)
        breach("changed the secret's mode");
#elif defined(ATTEMPT_CONNECT)
    int client = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in to {};
    to.sin_family = AF_INET;
    to.sin_port = htons(HOSTILE_PORT);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (client >= 0 && connect(client, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0)
        breach("connected to the listener");
#elif defined(ATTEMPT_X_DISPLAY)
    int client = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un to {};
    to.sun_family = AF_UNIX;
    std::strcpy(to.sun_path, "/tmp/.X11-unix/X0");
    if (client >= 0 && connect(client, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0)
        breach("reached the X display");
#elif defined(ATTEMPT_EXEC)
    char* const program[] = { const_cast<char*>("/bin/sh"), const_cast<char*>("-c"), const_cast<char*>("true"), nullptr };
    execv("/bin/sh", program);
#elif defined(ATTEMPT_FORK)
    pid_t child = fork();
    if (child == 0)
        _exit(0);
    if (child > 0)
        breach("started a process");
#elif defined(ATTEMPT_FORK_BOMB)
    for (int i = 0; i < 64; ++i) {
        if (fork() >= 0)
            breach("forked");
    }
#elif defined(ATTEMPT_ENVIRONMENT)
    for (char** variable = environ; variable && *variable; ++variable) {
        if (std::strncmp(*variable, "SHAMBLEX_HOSTILE_MARK=", 22) == 0)
            breach("read the host's environment");
    }
#elif defined(ATTEMPT_DESCRIPTORS)
    // Garbage to every descriptor it has, the channel to its host among them.
    const char garbage[] = "\x7f\x13\x00\x00\xff\xff\xff\x7fgarbage";
    for (int descriptor = 0; descriptor <= 64; ++descriptor) {
        ssize_t ignored = write(descriptor, garbage, sizeof garbage);
        (void)ignored;
    }
#elif defined(ATTEMPT_KILL_PARENT)
    if (kill(getppid(), SIGKILL) == 0)
        breach("killed its host");
#elif defined(ATTEMPT_EXIT_GROUP)
    syscall(SYS_exit_group, 0);
#elif defined(ATTEMPT_RAISE_TERM)
    raise(SIGTERM);
#elif defined(ATTEMPT_IGNORE_TERM)
    signal(SIGTERM, SIG_IGN);
    sigset_t blocked;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGTERM);
    sigprocmask(SIG_BLOCK, &blocked, nullptr);
    volatile int stop = 0;
    while (stop == 0) {
    }
#elif defined(ATTEMPT_MEMORY_BOMB)
    // Memory grabbed and touched until the limit refuses it (bad_alloc, thrown out).
    for (int i = 0; i < 1024; ++i) {
        char* block = new char[64 << 20];
        std::memset(block, 1, 64 << 20);
    }
    breach("took 64 GB");
#elif defined(ATTEMPT_IO_URING)
    long uring = syscall(SYS_io_uring_setup, 8, nullptr);
    if (uring >= 0 || errno != EFAULT)
        breach("reached io_uring");
#elif defined(ATTEMPT_TIOCSTI)
    char key = 'x';
    if (ioctl(0, TIOCSTI, &key) == 0 || ioctl(2, TIOCSTI, &key) == 0)
        breach("typed into a terminal");
#elif defined(ATTEMPT_TRUNCATE)
    for (int descriptor = 3; descriptor <= 64; ++descriptor) {
        if (ftruncate(descriptor, 0) == 0)
            breach("cut a shared file short");
    }
#elif defined(ATTEMPT_FORGED_REPORT)
    // A result of its own, every brain long alive, then a quiet end: the host must
    // not believe it.
    std::string result(1, '\0');
    result += std::string(4, '\0');
    std::uint32_t brains = 2;
    result.append(reinterpret_cast<const char*>(&brains), 4);
    for (std::uint32_t b = 0; b < brains; ++b) {
        std::int32_t figures[] = { -1, 1000, -1, 0 };
        result.append(reinterpret_cast<const char*>(figures), sizeof figures);
    }
    forge(3, 108, result); // Result
    std::int32_t done = 0;
    forge(3, 109, std::string(reinterpret_cast<const char*>(&done), 4)); // Done
    _exit(0);
#elif defined(ATTEMPT_NAME_ANOTHER)
    // Points the culprit record at another brain's file, then crashes.
    if (unsigned char* block = findControlBlock(reinterpret_cast<const void*>(&breach))) {
        std::int32_t library = 0;
        std::memcpy(block + 16, &library, sizeof library); // WorkerControl::call.library
    }
    crashHere();
#else
#error "name the attempt: ATTEMPT_..."
#endif
}

#if defined(FROM_STARTUP)
// Made while the library loads, before the host calls anything of it.
struct Startup {
    Startup() { attempt(); }
} startup;
#endif

[[maybe_unused]] int calls = 0;

}

SHAMBLEX_BRAIN_EXPORT void SHAMBLEX_BRAIN_CALL ExecuteBrain(shamblex::BrainRecord* being)
{
    being->moveDirection = 1;
#if !defined(FROM_STARTUP)
    if (calls++ == 0)
        attempt();
#elif defined(_WIN32) && defined(ATTEMPT_THREAD_CRASH)
    // Windows starts a thread made while a library loads only once the loading is
    // over: wait for it here, or a short run could end before the thread crashes.
    if (calls++ == 0)
        Sleep(2000);
#endif
}
