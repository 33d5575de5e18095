#include "cli/BrainTrace.h"

#include "cli/RunPlay.h"
#include "sim/Simulation.h"

#include <cassert>
#include <charconv>

namespace shamblex::cli {

namespace {

// Lines gathered before they go to the sink even within a frame step.
constexpr std::size_t flushSize = 1 << 16;

void number(std::string& out, std::uint64_t value)
{
    char digits[24];
    auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
}

void field(std::string& out, std::string_view name, std::uint64_t value)
{
    out += '"';
    out += name;
    out += "\":";
    number(out, value);
    out += ',';
}

// A JSON string: quotes, backslashes and control bytes escaped; other bytes as
// they are (a status text is the brain's bytes, which need not be UTF-8).
void string(std::string& out, std::string_view text)
{
    static constexpr char hex[] = "0123456789abcdef";
    out += '"';
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            out += "\\u00";
            out += hex[byte >> 4];
            out += hex[byte & 15];
        } else {
            out += c;
        }
    }
    out += '"';
}

void memoryHex(std::string& out, const std::array<std::uint8_t, brainMemoryBytes>& memory)
{
    static constexpr char hex[] = "0123456789abcdef";
    out += "\"memory\":\"";
    for (std::uint8_t byte : memory) {
        out += hex[byte >> 4];
        out += hex[byte & 15];
    }
    out += "\",";
}

void colour(std::string& out, Colour value)
{
    out += "\"colour\":[";
    number(out, value.red);
    out += ',';
    number(out, value.green);
    out += ',';
    number(out, value.blue);
    out += "],";
}

void sight(std::string& out, std::string_view name, const SightReport& seen)
{
    out += '"';
    out += name;
    out += "\":{";
    field(out, "seen", seen.seenKind);
    field(out, "distance", seen.distance);
    field(out, "peerCounter", seen.peerCounter);
    field(out, "seenSerial", seen.seenSerial);
    field(out, "sameBrain", seen.sameBrain);
    field(out, "seenPanicked", seen.seenPanicked);
    out.back() = '}';
    out += ',';
}

void closeObject(std::string& out)
{
    if (out.back() == ',')
        out.back() = '}';
    else
        out += '}';
}

}

BrainTrace::BrainTrace(RunSink& sink, Simulation* simulation, std::optional<std::uint32_t> serial)
    : m_sink(sink)
    , m_simulation(simulation)
    , m_serial(serial)
{
    assert(simulation || !serial);
}

bool BrainTrace::wants(const BrainCallSite& site, const BeingMind& before)
{
    if (!m_firstFrame)
        m_firstFrame = site.frame;
    if (!m_serial)
        return true;
    if (site.frame == *m_firstFrame && m_simulation->followedActor() == noActor && before.serialNumber == *m_serial)
        m_simulation->setFollowedActor(site.being);
    return m_simulation->followedActor() == site.being;
}

void BrainTrace::traced(
    const BrainCallSite& site, std::string_view brain, const BeingMind& before, const BeingMind& after, bool ran)
{
    std::string& out = m_lines;
    out += '{';
    field(out, "frame", static_cast<std::uint32_t>(site.frame));
    field(out, "being", site.being);
    field(out, "serial", before.serialNumber);
    out += "\"brain\":";
    string(out, brain);
    out += ",\"before\":{";
    out += "\"sights\":{";
    sight(out, "left", before.sightLeft);
    sight(out, "ahead", before.sightAhead);
    sight(out, "right", before.sightRight);
    closeObject(out);
    out += ',';
    field(out, "look", before.lookDirection);
    field(out, "move", before.moveDirection);
    field(out, "panicked", before.panicked);
    field(out, "panicCounter", before.panicCounter);
    auto known = m_memories.find(site.being);
    if (known == m_memories.end() || known->second != before.memory)
        memoryHex(out, before.memory);
    colour(out, before.colour);
    out += "\"status\":";
    string(out, before.statusText);
    out += "},\"changed\":{";
    if (after.lookDirection != before.lookDirection)
        field(out, "look", after.lookDirection);
    if (after.moveDirection != before.moveDirection)
        field(out, "move", after.moveDirection);
    if (after.panicked != before.panicked)
        field(out, "panicked", after.panicked);
    if (after.panicCounter != before.panicCounter)
        field(out, "panicCounter", after.panicCounter);
    if (after.serialNumber != before.serialNumber)
        field(out, "serial", after.serialNumber);
    if (after.memory != before.memory) {
        // [index, new value] for every byte the call changed.
        out += "\"memory\":[";
        for (std::size_t i = 0; i < brainMemoryBytes; ++i) {
            if (after.memory[i] == before.memory[i])
                continue;
            out += '[';
            number(out, i);
            out += ',';
            number(out, after.memory[i]);
            out += "],";
        }
        out.back() = ']';
        out += ',';
    }
    if (after.colour != before.colour)
        colour(out, after.colour);
    if (after.statusText != before.statusText) {
        out += "\"status\":";
        string(out, after.statusText);
        out += ',';
    }
    closeObject(out);
    if (!ran)
        out += ",\"disabled\":true";
    out += "}\n";
    m_memories[site.being] = after.memory;
    if (m_lines.size() >= flushSize)
        flush();
}

void BrainTrace::flush()
{
    if (m_lines.empty())
        return;
    m_sink.write(OutputSlot::Trace, m_lines);
    m_lines.clear();
}

}
