// Frames per second of the configuration frame encoder: the factory settings (standard identifiers) and
// a configuration with every identifier extended. "Program Config" checks the inputs and encodes once per
// press; the second benchmark times that pair.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "link/configframe.h"

namespace {

using namespace veltara::core;

FrameInputs factoryInputs() {
    FrameInputs in;
    in.rs232BaudRate = 3;
    in.canBaudRate = 5;
    in.inputFrmType = in.outputFrmType = in.canTrFrmType = in.canRecFrmType = 0;
    in.inputChangeTr = true;
    in.canTrId1 = {0x22, 0x03, 0x00, 0x00};
    in.canMask1 = {0xFF, 0x07, 0x00, 0x00};
    in.canFilter1 = {0x33, 0x03, 0x00, 0x00};
    in.canFilter2 = {0x33, 0x03, 0x00, 0x00};
    in.inputId1 = {0x22, 0x07, 0x00, 0x00};
    in.outputId1 = {0x22, 0x05, 0x00, 0x00};
    in.periodmsCountValue = 300;
    return in;
}

FrameInputs extendedInputs() {
    FrameInputs in = factoryInputs();
    in.inputFrmType = in.outputFrmType = in.canTrFrmType = in.canRecFrmType = 1;
    in.canTrId1 = {0x78, 0x56, 0x34, 0x12};
    in.canMask1 = {0xFF, 0xFF, 0xFF, 0x1F};
    in.canFilter1 = {0x01, 0x02, 0x03, 0x04};
    in.canFilter2 = {0xA0, 0xB0, 0xC0, 0x0D};
    in.inputId1 = {0x11, 0x22, 0x33, 0x04};
    in.outputId1 = {0x44, 0x55, 0x66, 0x07};
    in.canTrMultiByte = true;
    in.inputChangeTr = false;
    in.periodmsCountValue = 65535;
    return in;
}

FrameInputs inputsFor(const benchmark::State& state) {
    return state.range(0) == 0 ? factoryInputs() : extendedInputs();
}

void EncodeConfigFrame(benchmark::State& state) {
    FrameInputs inputs = inputsFor(state);
    ConfigFrame frame{};
    for (auto _ : state) {
        // The inputs escape each round, so the encoding cannot be hoisted out of the loop.
        benchmark::DoNotOptimize(inputs);
        encodeConfigFrame(inputs, frame);
        benchmark::DoNotOptimize(frame);
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kConfigFrameSize));
}
BENCHMARK(EncodeConfigFrame)->ArgName("extended")->Arg(0)->Arg(1);

void CheckAndEncodeConfigFrame(benchmark::State& state) {
    FrameInputs inputs = inputsFor(state);
    ConfigFrame frame{};
    for (auto _ : state) {
        benchmark::DoNotOptimize(inputs);
        if (!frameInputProblem(inputs)) {
            encodeConfigFrame(inputs, frame);
        }
        benchmark::DoNotOptimize(frame);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(CheckAndEncodeConfigFrame)->ArgName("extended")->Arg(0)->Arg(1);

}  // namespace

int main(int argc, char** argv) {
    // Timing a wrong frame would be pointless: the factory settings must give the known checksum.
    ConfigFrame frame{};
    encodeConfigFrame(factoryInputs(), frame);
    if (frame[frame::kChecksum] != 0xED) {
        std::fprintf(stderr, "bench_encoder: the factory frame's checksum is %02X, not ED\n",
                     frame[frame::kChecksum]);
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 2;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
