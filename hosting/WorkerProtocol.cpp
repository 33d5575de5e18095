#include "hosting/WorkerProtocol.h"

#include <algorithm>
#include <limits>

namespace shamblex::worker {

namespace {

constexpr std::size_t maximumFiles = 4096;
constexpr std::size_t maximumName = 4096;

void writeOptional(WireWriter& out, const std::optional<std::int32_t>& value)
{
    out.u8(value ? 1 : 0).i32(value.value_or(0));
}

std::optional<std::optional<std::int32_t>> readOptional(WireReader& in)
{
    auto present = in.u8();
    auto value = in.i32();
    if (!present || !value)
        return std::nullopt;
    return *present ? std::optional<std::int32_t>(*value) : std::nullopt;
}

}

void writeState(WireWriter& out, const SaverState& state)
{
    out.i32(state.timerPeriod).u8(state.outbreakOver).u8(state.helpShown).u8(state.lastTickDrewNothing).i32(state.frameNumber).u32(state.beings).i32(state.humans);
    out.bytes(state.settings.toBytes());
}

std::optional<SaverState> readState(WireReader& in)
{
    SaverState state;
    auto period = in.within(in.i32(), 1, 1000);
    auto over = in.within(in.u8(), std::uint8_t { 0 }, std::uint8_t { 1 });
    auto help = in.within(in.u8(), std::uint8_t { 0 }, std::uint8_t { 1 });
    auto drewNothing = in.within(in.u8(), std::uint8_t { 0 }, std::uint8_t { 1 });
    auto frame = in.within(in.i32(), 0, std::numeric_limits<std::int32_t>::max());
    auto beings = in.u32();
    auto humans = in.within(in.i32(), 0, std::numeric_limits<std::int32_t>::max());
    auto record = in.bytes(Settings::recordSize);
    if (in.failed() || record->size() != Settings::recordSize)
        return std::nullopt;
    std::array<std::uint8_t, Settings::recordSize> bytes {};
    std::copy(record->begin(), record->end(), bytes.begin());
    auto settings = Settings::fromBytes(bytes);
    if (!settings)
        return std::nullopt;
    state.settings = *settings;
    state.timerPeriod = *period;
    state.outbreakOver = *over;
    state.helpShown = *help;
    state.lastTickDrewNothing = *drewNothing;
    state.frameNumber = *frame;
    state.beings = *beings;
    state.humans = *humans;
    return state;
}

void writeStart(WireWriter& out, const SessionStart& start)
{
    const SettingsOptions& settings = start.settings;
    writeOptional(out, settings.boardWidth);
    writeOptional(out, settings.boardHeight);
    writeOptional(out, settings.beingCount);
    out.u8(settings.openArena).u8(settings.simpleZombies).u8(settings.eatWalls);
    out.u8(settings.seed ? 1 : 0).u32(settings.seed.value_or(0));
    out.u8(settings.brainsDirectory ? 1 : 0).text(settings.brainsDirectory.value_or(""));
    out.u8(start.graph).u8(start.directions).u8(start.reportSkipped);
    writeOptional(out, start.timerPeriod);
    out.u8(start.restored ? 1 : 0).bytes(start.restored.value_or(Settings {}).toBytes());
    out.u8(start.pinSerial ? 1 : 0).u32(start.pinSerial.value_or(0));
}

std::optional<SessionStart> readStart(WireReader& in)
{
    SessionStart start;
    SettingsOptions& settings = start.settings;
    auto width = readOptional(in);
    auto height = readOptional(in);
    auto beings = readOptional(in);
    auto openArena = in.u8();
    auto simple = in.u8();
    auto eat = in.u8();
    auto seeded = in.u8();
    auto seed = in.u32();
    auto hasFolder = in.u8();
    auto folder = in.text(maximumName);
    auto graph = in.u8();
    auto directions = in.u8();
    auto reportSkipped = in.u8();
    auto period = readOptional(in);
    auto hasRestored = in.u8();
    auto restored = in.bytes(Settings::recordSize);
    auto pinned = in.u8();
    auto pinSerial = in.u32();
    if (in.failed() || !width || !height || !beings || !period || restored->size() != Settings::recordSize)
        return std::nullopt;
    if (*hasRestored) {
        std::array<std::uint8_t, Settings::recordSize> record {};
        std::copy(restored->begin(), restored->end(), record.begin());
        start.restored = Settings::fromBytes(record);
        if (!start.restored)
            return std::nullopt;
    }
    settings.boardWidth = *width;
    settings.boardHeight = *height;
    settings.beingCount = *beings;
    settings.openArena = *openArena;
    settings.simpleZombies = *simple;
    settings.eatWalls = *eat;
    if (*seeded)
        settings.seed = *seed;
    if (*hasFolder)
        settings.brainsDirectory = *folder;
    start.graph = *graph;
    start.directions = *directions;
    start.reportSkipped = *reportSkipped;
    start.timerPeriod = *period;
    if (*pinned)
        start.pinSerial = *pinSerial;
    return start;
}

void writeOffer(WireWriter& out, const BrainOffer& offer)
{
    out.text(offer.folderError).u32(static_cast<std::uint32_t>(offer.files.size()));
    for (const OfferedFile& file : offer.files)
        out.text(file.fileName).text(file.refusal).i32(file.library);
    out.u32(static_cast<std::uint32_t>(offer.newLibraries.size()));
    for (std::int32_t library : offer.newLibraries)
        out.i32(library);
}

std::optional<BrainOffer> readOffer(WireReader& in)
{
    BrainOffer offer;
    auto error = in.text(maximumName);
    auto count = in.within(in.u32(), 0u, static_cast<std::uint32_t>(maximumFiles));
    if (!error || !count)
        return std::nullopt;
    offer.folderError = *error;
    for (std::uint32_t i = 0; i < *count; ++i) {
        auto name = in.text(maximumName);
        auto refusal = in.text(maximumName);
        auto library = in.i32();
        if (in.failed())
            return std::nullopt;
        offer.files.push_back({ *name, *refusal, *library });
    }
    auto fresh = in.within(in.u32(), 0u, static_cast<std::uint32_t>(maximumFiles));
    if (!fresh)
        return std::nullopt;
    for (std::uint32_t i = 0; i < *fresh; ++i) {
        auto library = in.i32();
        if (!library)
            return std::nullopt;
        offer.newLibraries.push_back(*library);
    }
    if (!in.complete())
        return std::nullopt;
    return offer;
}

}
