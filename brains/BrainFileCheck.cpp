#include "brains/BrainFileCheck.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

namespace shamblex {

namespace {

constexpr std::string_view entryPoint = "ExecuteBrain";
// No export table or symbol name a brain needs is anywhere near this long; a file that
// claims more is not read further.
constexpr std::uint64_t maximumTableBytes = std::uint64_t { 64 } << 20;
constexpr std::size_t maximumNameLength = 4096;

const std::string notALibrary = "not a library";
const std::string truncated = "truncated";
const std::string noEntryPoint = "exports no ExecuteBrain";

// Little-endian fields out of a byte buffer.
template<typename T>
T field(const std::uint8_t* bytes, std::size_t at)
{
    T value = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        value |= static_cast<T>(static_cast<T>(bytes[at + i]) << (8 * i));
    return value;
}

std::string elfMachineName(std::uint16_t machine, bool is64Bit)
{
    switch (machine) {
    case 3: return "32-bit x86";
    case 62: return "x86-64";
    case 40: return "32-bit ARM";
    case 183: return "ARM64";
    case 243: return is64Bit ? "64-bit RISC-V" : "32-bit RISC-V";
    case 8: return "MIPS";
    case 20: return "32-bit PowerPC";
    case 21: return "64-bit PowerPC";
    case 22: return "IBM Z";
    case 2:
    case 43: return "SPARC";
    case 258: return "LoongArch";
    default: return "machine " + std::to_string(machine);
    }
}

std::string peMachineName(std::uint16_t machine)
{
    switch (machine) {
    case 0x14c: return "32-bit x86";
    case 0x8664: return "x86-64";
    case 0xaa64: return "ARM64";
    case 0x1c0:
    case 0x1c4: return "32-bit ARM";
    case 0x5064: return "64-bit RISC-V";
    default: return "machine " + std::to_string(machine);
    }
}

bool readVector(FileBytes& file, std::uint64_t offset, std::uint64_t length, std::vector<std::uint8_t>& into)
{
    if (length > maximumTableBytes)
        return false;
    into.resize(static_cast<std::size_t>(length));
    return length == 0 || file.read(offset, into.data(), into.size());
}

// A NUL-terminated name at `offset`, read in pieces; none when it runs off the file.
std::optional<std::string> readName(FileBytes& file, std::uint64_t offset)
{
    std::string name;
    char piece[64];
    while (name.size() < maximumNameLength) {
        std::uint64_t left = file.size() > offset ? file.size() - offset : 0;
        std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>(sizeof piece, left));
        if (length == 0 || !file.read(offset, piece, length))
            return std::nullopt;
        const char* end = static_cast<const char*>(std::memchr(piece, 0, length));
        if (end) {
            name.append(piece, static_cast<std::size_t>(end - piece));
            return name;
        }
        name.append(piece, length);
        offset += length;
    }
    return std::nullopt;
}

// ---- ELF, 64-bit little-endian (the only kind read past its header) ----

struct Segment {
    std::uint32_t type = 0;
    std::uint64_t offset = 0;
    std::uint64_t address = 0;
    std::uint64_t fileSize = 0;
};

constexpr std::uint32_t loadSegment = 1;
constexpr std::uint32_t dynamicSegment = 2;
constexpr std::int64_t tagNeeded = 1;
constexpr std::int64_t tagHash = 4;
constexpr std::int64_t tagStringTable = 5;
constexpr std::int64_t tagSymbolTable = 6;
constexpr std::int64_t tagStringSize = 10;
constexpr std::int64_t tagSymbolSize = 11;
constexpr std::int64_t tagGnuHash = 0x6ffffef5;

// The file offset of a virtual address, through the loadable segments.
std::optional<std::uint64_t> offsetOf(const std::vector<Segment>& segments, std::uint64_t address)
{
    for (const Segment& segment : segments) {
        if (segment.type == loadSegment && address >= segment.address && address - segment.address < segment.fileSize)
            return segment.offset + (address - segment.address);
    }
    return std::nullopt;
}

// How many symbols the dynamic symbol table holds, from its hash table.
std::optional<std::uint64_t> symbolCount(
    FileBytes& file, const std::vector<Segment>& segments, std::optional<std::uint64_t> hash, std::optional<std::uint64_t> gnuHash)
{
    std::uint8_t words[16];
    if (hash) {
        auto at = offsetOf(segments, *hash);
        if (!at || !file.read(*at, words, 8))
            return std::nullopt;
        return field<std::uint32_t>(words, 4); // nchain
    }
    if (!gnuHash)
        return std::nullopt;
    auto at = offsetOf(segments, *gnuHash);
    if (!at || !file.read(*at, words, 16))
        return std::nullopt;
    std::uint32_t buckets = field<std::uint32_t>(words, 0);
    std::uint32_t first = field<std::uint32_t>(words, 4);
    std::uint32_t bloomWords = field<std::uint32_t>(words, 8);
    std::uint64_t bucketsAt = *at + 16 + 8 * std::uint64_t { bloomWords };
    std::vector<std::uint8_t> table;
    if (!readVector(file, bucketsAt, 4 * std::uint64_t { buckets }, table))
        return std::nullopt;
    std::uint32_t last = 0;
    for (std::uint32_t i = 0; i < buckets; ++i)
        last = std::max(last, field<std::uint32_t>(table.data(), 4 * std::size_t { i }));
    if (last < first)
        return first;
    // Walk the chain of the highest bucket to its end.
    std::uint64_t chainAt = bucketsAt + 4 * std::uint64_t { buckets };
    for (std::uint32_t index = last;; ++index) {
        if (index - first > (maximumTableBytes / 4) || !file.read(chainAt + 4 * std::uint64_t { index - first }, words, 4))
            return std::nullopt;
        if (field<std::uint32_t>(words, 0) & 1)
            return std::uint64_t { index } + 1;
    }
}

std::optional<std::string> checkElf(FileBytes& file, const HostBinary& host)
{
    std::uint8_t header[64];
    if (file.size() < 20 || !file.read(0, header, 20))
        return truncated;
    bool is64Bit = header[4] == 2;
    bool littleEndian = header[5] == 1;
    if ((header[4] != 1 && header[4] != 2) || (header[5] != 1 && header[5] != 2))
        return notALibrary;
    std::uint16_t machine = littleEndian ? field<std::uint16_t>(header, 18)
                                         : static_cast<std::uint16_t>(header[18] << 8 | header[19]);
    if (host.format != HostBinary::Format::Elf)
        return "built for another system (an ELF library)";
    if (machine != host.machine || is64Bit != host.is64Bit || !littleEndian)
        return "built for " + elfMachineName(machine, is64Bit);
    if (!file.read(0, header, 64))
        return truncated;
    std::uint16_t type = field<std::uint16_t>(header, 16);
    if (type == 2)
        return "a program, not a library";
    if (type == 1)
        return "an object file, not a library";
    if (type != 3)
        return notALibrary;

    // Every table the header points at lies inside the file, or the file was cut.
    std::uint64_t sectionHeaders = field<std::uint64_t>(header, 40);
    std::uint64_t sectionTableSize = std::uint64_t { field<std::uint16_t>(header, 58) } * field<std::uint16_t>(header, 60);
    if (sectionHeaders != 0 && (sectionHeaders > file.size() || sectionTableSize > file.size() - sectionHeaders))
        return truncated;
    std::uint64_t programHeaders = field<std::uint64_t>(header, 32);
    std::uint16_t programHeaderSize = field<std::uint16_t>(header, 54);
    std::uint16_t programHeaderCount = field<std::uint16_t>(header, 56);
    if (programHeaderSize < 56 || programHeaderCount == 0)
        return notALibrary;
    std::vector<std::uint8_t> table;
    if (!readVector(file, programHeaders, std::uint64_t { programHeaderSize } * programHeaderCount, table))
        return truncated;
    std::vector<Segment> segments;
    for (std::size_t i = 0; i < programHeaderCount; ++i) {
        const std::uint8_t* entry = table.data() + i * programHeaderSize;
        Segment segment { field<std::uint32_t>(entry, 0), field<std::uint64_t>(entry, 8), field<std::uint64_t>(entry, 16),
            field<std::uint64_t>(entry, 32) };
        // A segment the loader would map from beyond the file's end makes the process
        // fault on first touch.
        if ((segment.type == loadSegment || segment.type == dynamicSegment)
            && (segment.offset > file.size() || segment.fileSize > file.size() - segment.offset))
            return truncated;
        segments.push_back(segment);
    }

    // The dynamic segment tells where the loader finds the exported symbols.
    const Segment* dynamic = nullptr;
    for (const Segment& segment : segments)
        if (segment.type == dynamicSegment)
            dynamic = &segment;
    if (!dynamic)
        return "exports nothing (no dynamic section)";
    std::vector<std::uint8_t> entries;
    if (!readVector(file, dynamic->offset, dynamic->fileSize, entries))
        return truncated;
    std::optional<std::uint64_t> symbols, strings, stringSize, hash, gnuHash;
    std::uint64_t symbolSize = 24;
    std::vector<std::uint64_t> needed; // offsets of the needed libraries' names
    for (std::size_t at = 0; at + 16 <= entries.size(); at += 16) {
        auto tag = field<std::int64_t>(entries.data(), at);
        auto value = field<std::uint64_t>(entries.data(), at + 8);
        if (tag == 0)
            break;
        switch (tag) {
        case tagNeeded: needed.push_back(value); break;
        case tagSymbolTable: symbols = value; break;
        case tagStringTable: strings = value; break;
        case tagStringSize: stringSize = value; break;
        case tagSymbolSize: symbolSize = value; break;
        case tagHash: hash = value; break;
        case tagGnuHash: gnuHash = value; break;
        default: break;
        }
    }
    if (!symbols || !strings || symbolSize < 24)
        return noEntryPoint;
    auto symbolsAt = offsetOf(segments, *symbols);
    auto stringsAt = offsetOf(segments, *strings);
    auto count = symbolCount(file, segments, hash, gnuHash);
    if (!symbolsAt || !stringsAt || !count)
        return truncated;
    if (!readVector(file, *symbolsAt, *count * symbolSize, table))
        return truncated;

    // The runtimes it needs: a sanitizer's this program lacks would abort or crash
    // it at load; another C++ library lays std::string (the status text) out
    // differently, and the first text the brain sets crashes the host.
    std::string sanitizer;
    std::string otherCppLibrary;
    auto sanitizerOf = [](std::string_view name) -> std::string {
        if (name.starts_with("libasan") || name.starts_with("__asan_"))
            return "AddressSanitizer";
        if (name.starts_with("libtsan") || name.starts_with("__tsan_"))
            return "ThreadSanitizer";
        if (name.starts_with("libmsan") || name.starts_with("__msan_"))
            return "MemorySanitizer";
        if (name.starts_with("libhwasan") || name.starts_with("__hwasan_"))
            return "HWAddressSanitizer";
        return {};
    };
    for (std::uint64_t nameAt : needed) {
        if (stringSize && nameAt >= *stringSize)
            continue;
        auto name = readName(file, *stringsAt + nameAt);
        if (!name)
            return truncated;
        if (std::string kind = sanitizerOf(*name); !kind.empty() && sanitizer.empty())
            sanitizer = kind + ": it needs " + *name;
        if (name->starts_with("libc++.so") && otherCppLibrary.empty())
            otherCppLibrary = "it needs " + *name;
    }

    bool exported = false;
    bool oldStringAbi = false;
    for (std::uint64_t i = 0; i < *count; ++i) {
        const std::uint8_t* symbol = table.data() + i * symbolSize;
        std::uint32_t nameAt = field<std::uint32_t>(symbol, 0);
        std::uint8_t info = symbol[4];
        std::uint8_t other = symbol[5];
        std::uint16_t section = field<std::uint16_t>(symbol, 6);
        if (nameAt == 0 || (stringSize && nameAt >= *stringSize))
            continue;
        auto name = readName(file, *stringsAt + nameAt);
        if (!name)
            return truncated;
        int binding = info >> 4;
        bool defined = section != 0;
        bool visible = (other & 3) == 0 && (binding == 1 || binding == 2);
        if (*name == entryPoint && defined && visible)
            exported = true;
        // Methods of the old std::string are mangled "Ss": such a brain would write
        // the status text in a layout the host does not share.
        if (name->starts_with("_ZNSs") || name->starts_with("_ZNKSs"))
            oldStringAbi = true;
        // A sanitizer linked in statically leaves its entry points undefined here.
        if (std::string kind = sanitizerOf(*name); !kind.empty() && !defined && sanitizer.empty())
            sanitizer = kind + ": it calls " + *name;
        // libc++ puts its std in the inline namespace std::__1, mangled "St3__1".
        if (name->find("St3__1") != std::string::npos && otherCppLibrary.empty())
            otherCppLibrary = "it uses " + *name;
    }
    if (!exported)
        return noEntryPoint;
    if (oldStringAbi)
        return "built with the old C++ string ABI";
    if (!sanitizer.empty() && !(host.addressSanitizer && sanitizer.starts_with("AddressSanitizer:")))
        return "built with " + sanitizer + " (this program is not)";
    if (!otherCppLibrary.empty())
        return "built against another C++ library than this program's (" + otherCppLibrary
            + "; libc++ lays out std::string differently)";
    return std::nullopt;
}

// ---- PE ----

struct PeSection {
    std::uint32_t virtualAddress = 0;
    std::uint32_t virtualSize = 0;
    std::uint32_t rawSize = 0;
    std::uint32_t rawOffset = 0;
};

std::optional<std::uint64_t> peOffsetOf(const std::vector<PeSection>& sections, std::uint32_t rva)
{
    for (const PeSection& section : sections) {
        std::uint32_t extent = std::max(section.virtualSize, section.rawSize);
        if (rva >= section.virtualAddress && rva - section.virtualAddress < extent) {
            std::uint32_t into = rva - section.virtualAddress;
            if (into >= section.rawSize)
                return std::nullopt; // not backed by the file
            return std::uint64_t { section.rawOffset } + into;
        }
    }
    return std::nullopt;
}

std::optional<std::string> checkPe(FileBytes& file, const HostBinary& host)
{
    std::uint8_t bytes[64];
    if (file.size() < 64 || !file.read(0, bytes, 64))
        return truncated;
    std::uint32_t newHeader = field<std::uint32_t>(bytes, 0x3c);
    std::uint8_t header[24];
    if (!file.read(newHeader, header, 24))
        return truncated;
    if (std::memcmp(header, "PE\0\0", 4) != 0)
        return notALibrary; // an old DOS program
    std::uint16_t machine = field<std::uint16_t>(header, 4);
    std::uint16_t sectionCount = field<std::uint16_t>(header, 6);
    std::uint16_t optionalSize = field<std::uint16_t>(header, 20);
    std::uint16_t characteristics = field<std::uint16_t>(header, 22);
    std::uint32_t symbolTable = field<std::uint32_t>(header, 12);
    if (symbolTable > file.size())
        return truncated;
    if (host.format != HostBinary::Format::Pe)
        return "built for Windows";
    if (machine != host.machine)
        return "built for " + peMachineName(machine);
    if (!(characteristics & 0x2000))
        return "a program, not a library";

    std::vector<std::uint8_t> optional;
    if (optionalSize < 112 + 8 || !readVector(file, std::uint64_t { newHeader } + 24, optionalSize, optional))
        return truncated;
    std::uint16_t magic = field<std::uint16_t>(optional.data(), 0);
    std::size_t directories = magic == 0x20b ? 112 : 96; // PE32+ or PE32
    if (optional.size() < directories + 8)
        return truncated;
    std::uint32_t exportRva = field<std::uint32_t>(optional.data(), directories);
    std::uint32_t exportSize = field<std::uint32_t>(optional.data(), directories + 4);

    std::vector<std::uint8_t> table;
    if (!readVector(file, std::uint64_t { newHeader } + 24 + optionalSize, 40 * std::uint64_t { sectionCount }, table))
        return truncated;
    std::vector<PeSection> sections;
    for (std::size_t i = 0; i < sectionCount; ++i) {
        const std::uint8_t* entry = table.data() + 40 * i;
        PeSection section { field<std::uint32_t>(entry, 12), field<std::uint32_t>(entry, 8),
            field<std::uint32_t>(entry, 16), field<std::uint32_t>(entry, 20) };
        if (section.rawSize != 0 && (section.rawOffset > file.size() || section.rawSize > file.size() - section.rawOffset))
            return truncated;
        sections.push_back(section);
    }
    if (exportRva == 0 || exportSize < 40)
        return noEntryPoint;
    auto exportAt = peOffsetOf(sections, exportRva);
    std::uint8_t directory[40];
    if (!exportAt || !file.read(*exportAt, directory, 40))
        return truncated;
    std::uint32_t nameCount = field<std::uint32_t>(directory, 24);
    auto namesAt = peOffsetOf(sections, field<std::uint32_t>(directory, 32));
    if (nameCount == 0)
        return noEntryPoint;
    if (!namesAt || !readVector(file, *namesAt, 4 * std::uint64_t { nameCount }, table))
        return truncated;
    for (std::uint32_t i = 0; i < nameCount; ++i) {
        auto nameAt = peOffsetOf(sections, field<std::uint32_t>(table.data(), 4 * std::size_t { i }));
        auto name = nameAt ? readName(file, *nameAt) : std::nullopt;
        if (!name)
            return truncated;
        if (*name == entryPoint)
            return std::nullopt;
    }
    return noEntryPoint;
}

}

std::optional<std::string> whyNotABrain(FileBytes& file, const HostBinary& host)
{
    std::uint8_t magic[4] = {};
    if (file.size() < 4 || !file.read(0, magic, 4))
        return file.size() == 0 ? "an empty file" : notALibrary;
    if (std::memcmp(magic, "\x7f" "ELF", 4) == 0)
        return checkElf(file, host);
    if (magic[0] == 'M' && magic[1] == 'Z')
        return checkPe(file, host);
    return notALibrary;
}

}
