// Feeds arbitrary bytes through the processor model and the disassembler: the
// first two bytes give the image length, then come the image and a stimulus
// text. A run with an observer and one without, from the same start, end in
// the same state; the source form of the image assembles back to the same bytes.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/text.h"
#include "image/assembly_driver.h"
#include "mcs48/disassembler.h"
#include "mcs48/instruction_set.h"
#include "mcs48/processor.h"
#include "mcs48/trace.h"

namespace {

using namespace tovi::mcs48;

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

Processor started(std::span<const std::uint8_t> image, const std::vector<InputEvent>& events,
                  std::uint8_t mode) {
    Processor processor(static_cast<Chip>(mode % 3));
    check(processor.load(image));
    processor.reset(mode);
    processor.attachStimulus(events);
    return processor;
}

void runModel(std::span<const std::uint8_t> image, std::string_view stimulus, std::uint8_t mode) {
    const std::vector<InputEvent> events = parseStimulus(stimulus).events;
    Processor observed = started(image, events, mode);
    Processor unobserved = started(image, events, mode);
    std::string trace;
    TraceFormatter formatter;
    RunLimits limits;
    limits.maxInstructions = 1000;
    limits.stopOnIdle = (mode & 0x08) != 0;
    std::uint64_t instructionSteps = 0;
    const RunResult result = observed.run(limits, [&](const Step& step, const State& state) {
        formatter.append(trace, step, state);
        check(state.pc < addressSpace && (state.psw & pswOne) != 0);
        instructionSteps += step.kind == Step::Kind::Instruction ? 1 : 0;
    });
    const RunResult alike = unobserved.run(limits);
    check(result.reason == alike.reason && result.address == alike.address &&
          result.opcode == alike.opcode);
    check(observed.state() == unobserved.state());
    check(instructionSteps == observed.state().instructions);
    if (result.reason == StopReason::UnknownOpcode) {
        check(!instructionOf(observed.programMemory()[result.address]).exists());
    }
}

void roundTrip(std::span<const std::uint8_t> image) {
    const auto source = sourceForm(image);
    check(source.has_value());
    std::vector<std::u16string> lines;
    for (std::size_t start = 0; start < source->size();) {
        const auto end = source->find('\n', start);
        lines.push_back(tovi::fromUtf8(std::string_view(*source).substr(start, end - start)));
        start = end + 1;
    }
    tovi::Assembler assembler;
    const auto result = assembler.assemble({lines, {}, {}, 0x00}, [](std::u16string_view) {});
    check(result.outcome == tovi::AssemblyOutcome::Succeeded);
    check(result.image.imageLength() == static_cast<int>(image.size()));
    check(std::equal(image.begin(), image.end(), result.image.bytes.begin()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) {
        return 0;
    }
    const std::size_t wanted = 1 + ((data[0] << 8 | data[1]) % addressSpace);
    const std::span<const std::uint8_t> rest(data + 2, size - 2);
    const auto image = rest.first(std::min(wanted, rest.size()));
    const std::string_view stimulus(reinterpret_cast<const char*>(rest.data()) + image.size(),
                                    rest.size() - image.size());
    runModel(image, stimulus, data[1]);
    (void)displayListing(image);
    if (image.size() <= static_cast<std::size_t>(imageSize)) {
        roundTrip(image);
    }
    return 0;
}
