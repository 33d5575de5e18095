#include "cli/BrainTrace.h"

#include "../sim/TestWorld.h"
#include "brains/BrainRegistry.h"
#include "cli/RunPlay.h"

#include <gtest/gtest.h>

using namespace shamblex;
using namespace shamblex::test;

namespace {

// Keeps what the trace sends.
struct TraceSink final : cli::RunSink {
    std::string trace;
    void write(cli::OutputSlot slot, std::string_view bytes) override
    {
        if (slot == cli::OutputSlot::Trace)
            trace += bytes;
    }
    void videoFrame(const Bitmap&) override { }
    void report(const std::string&) override { }
    bool stopRequested() override { return false; }
};

}

TEST(BrainTrace, WritesWhatTheBrainSawAndWhatItsCallChanged)
{
    // A brain that marks its memory once, walks down and says so.
    BrainRegistry registry;
    registry.enterBrain("marker", [](BrainRecord* being) {
        being->memory[3] = 9;
        being->moveDirection = 2;
        being->green = 7;
        being->statusText = "down \"now\"";
    });
    TestWorld world(30, 30);
    world.brains = &registry;
    // Looking up, the human has a zombie three cells to its left (west), nothing
    // ahead for ten cells, and a wall right beside it on its right (east).
    Actor& human = world.put(10, 12, CellKind::Human, Direction::Up, Direction::None, "marker");
    world.put(7, 12, CellKind::Zombie, Direction::Up, Direction::None);
    world.wall(11, 12);
    TraceSink sink;
    cli::BrainTrace trace(sink, nullptr, std::nullopt);
    registry.setTracer(&trace);
    World w = world.world();
    world.update(human, w);
    world.update(human, w);
    trace.flush();

    const auto firstEnd = sink.trace.find('\n');
    ASSERT_NE(firstEnd, std::string::npos);
    const std::string first = sink.trace.substr(0, firstEnd);
    const std::string second = sink.trace.substr(firstEnd + 1);
    EXPECT_EQ(first.substr(0, first.find("\"look\"")),
        "{\"frame\":1,\"being\":0,\"serial\":0,\"brain\":\"marker\",\"before\":{\"sights\":{"
        "\"left\":{\"seen\":1,\"distance\":3,\"peerCounter\":0,\"seenSerial\":0,\"sameBrain\":0,\"seenPanicked\":0},"
        "\"ahead\":{\"seen\":0,\"distance\":10,\"peerCounter\":0,\"seenSerial\":0,\"sameBrain\":0,\"seenPanicked\":0},"
        "\"right\":{\"seen\":3,\"distance\":1,\"peerCounter\":0,\"seenSerial\":0,\"sameBrain\":0,\"seenPanicked\":0}},");
    EXPECT_NE(first.find("\"memory\":\"" + std::string(512, '0') + "\""), std::string::npos) << "the whole memory first";
    EXPECT_NE(first.find("\"changed\":{\"move\":2,\"memory\":[[3,9]],\"colour\":[255,7,255],"
                         "\"status\":\"down \\\"now\\\"\"}}"),
        std::string::npos)
        << first;
    EXPECT_EQ(second.find("\"memory\""), std::string::npos) << "an unchanged memory is not written again: " << second;
    EXPECT_NE(second.find("\"changed\":{}"), std::string::npos) << second;
}
