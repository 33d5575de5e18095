// Brain libraries on Linux and other POSIX systems: ordinary ELF shared libraries
// that keep the ".dll" suffix, so a brain's file and brain name are the same on
// every platform. The suffix is matched exactly, as a POSIX file system does.
#include "hosting/PlatformLibraryLoader.h"

#include "brains/BrainFileCheck.h"
#include "brains/BrainRecord.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace shamblex {

// What this program loads: an ELF shared object of its own machine, and whether it
// runs with AddressSanitizer (GCC and Clang say so by a macro or a feature test).
HostBinary platformHostBinary()
{
#if defined(__x86_64__)
    HostBinary host { HostBinary::Format::Elf, 62, true };
#elif defined(__aarch64__)
    HostBinary host { HostBinary::Format::Elf, 183, true };
#elif defined(__i386__)
    HostBinary host { HostBinary::Format::Elf, 3, false };
#elif defined(__arm__)
    HostBinary host { HostBinary::Format::Elf, 40, false };
#elif defined(__riscv) && __riscv_xlen == 64
    HostBinary host { HostBinary::Format::Elf, 243, true };
#else
#error "Tell platformHostBinary() which ELF machine this is"
#endif
#if defined(__SANITIZE_ADDRESS__)
    host.addressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    host.addressSanitizer = true;
#endif
#endif
    return host;
}

namespace {

// A file read by offset, never through a stream that could block or run anything.
class DescriptorBytes final : public FileBytes {
public:
    DescriptorBytes(int descriptor, std::uint64_t size)
        : m_descriptor(descriptor)
        , m_size(size)
    {
    }
    ~DescriptorBytes() override { close(m_descriptor); }
    DescriptorBytes(const DescriptorBytes&) = delete;
    DescriptorBytes& operator=(const DescriptorBytes&) = delete;

    std::uint64_t size() const override { return m_size; }
    bool read(std::uint64_t offset, void* into, std::size_t length) override
    {
        if (offset > m_size || length > m_size - offset)
            return false;
        auto* out = static_cast<char*>(into);
        while (length > 0) {
            ssize_t got = pread(m_descriptor, out, length, static_cast<off_t>(offset));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return false;
            out += got;
            offset += static_cast<std::uint64_t>(got);
            length -= static_cast<std::size_t>(got);
        }
        return true;
    }

private:
    int m_descriptor;
    std::uint64_t m_size;
};

class PosixLibraryLoader final : public LibraryLoader {
public:
    PosixLibraryLoader() = default;
    ~PosixLibraryLoader() override
    {
        if (m_room != MAP_FAILED)
            munmap(m_room, 2 * m_page);
    }
    PosixLibraryLoader(const PosixLibraryLoader&) = delete;
    PosixLibraryLoader& operator=(const PosixLibraryLoader&) = delete;

    void* guardedRecordRoom() override
    {
        // Two pages: the record ends where the first one does, and the second one
        // may not be written. It may be read, and is mapped at once: the C
        // library's short string compares load a whole vector, masking off the bytes
        // past the strings, and the processor takes a slow path when masked-off bytes
        // lie in a page that a read would fault on or that is not mapped yet. The
        // status text is the record's last field, so a brain comparing it paid that
        // path every call: seven times a plain call of such a brain. Reading past the
        // record harms nothing; writing still faults.
        if (m_room == MAP_FAILED) {
            m_page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
            m_room = mmap(nullptr, 2 * m_page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
            if (m_room == MAP_FAILED)
                return nullptr;
            if (mprotect(static_cast<char*>(m_room) + m_page, m_page, PROT_READ) != 0) {
                munmap(m_room, 2 * m_page);
                m_room = MAP_FAILED;
                return nullptr;
            }
            // A read maps the page (to the zero page).
            [[maybe_unused]] volatile char touched = static_cast<const volatile char*>(m_room)[m_page];
        }
        return static_cast<char*>(m_room) + m_page - sizeof(BrainRecord);
    }

    std::vector<std::string> findLibraries(const std::string& folder, std::string& error) override
    {
        std::vector<std::string> names;
        DIR* directory = opendir(folder.c_str());
        if (!directory) {
            error = std::strerror(errno);
            return names;
        }
        while (const dirent* entry = readdir(directory)) {
            std::string_view name = entry->d_name;
            if (name.size() >= 4 && name.substr(name.size() - 4) == ".dll")
                names.emplace_back(name);
        }
        closedir(directory);
        std::sort(names.begin(), names.end());
        return names;
    }

    std::optional<std::string> inspect(const std::string& path) override
    {
        // Opened without blocking, so that a FIFO named like a brain cannot stall the
        // scan, and checked to be a regular file before a byte is read.
        int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (descriptor < 0)
            return "cannot be read: " + std::string(std::strerror(errno));
        struct stat status {};
        if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
            bool folder = S_ISDIR(status.st_mode);
            close(descriptor);
            return folder ? "a folder, not a library" : "not a regular file";
        }
        DescriptorBytes bytes(descriptor, static_cast<std::uint64_t>(status.st_size));
        return whyNotABrain(bytes, platformHostBinary());
    }

    Handle load(const std::string& path, std::string& error) override
    {
        dlerror();
        // RTLD_LOCAL keeps each brain's symbols to itself, so two brains may both
        // define the same helper names.
        void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            const char* reason = dlerror();
            error = reason ? reason : "unknown reason";
        }
        return handle;
    }

    void* findExport(Handle handle, const char* name) override
    {
        dlerror();
        return dlsym(handle, name);
    }

    void release(Handle handle) override { dlclose(handle); }

    std::string pathInFolder(const std::string& folder, const std::string& fileName) const override
    {
        // A path with a slash is loaded from exactly there, never searched for.
        if (folder.empty())
            return "./" + fileName;
        return folder.back() == '/' ? folder + fileName : folder + "/" + fileName;
    }

private:
    void* m_room = MAP_FAILED;
    std::size_t m_page = 0;
};

}

std::unique_ptr<LibraryLoader> makePlatformLibraryLoader()
{
    return std::make_unique<PosixLibraryLoader>();
}

}
