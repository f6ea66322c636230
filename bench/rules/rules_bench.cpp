// The spin decision's cost: one generator step, and one whole outcome per machine.
#include <benchmark/benchmark.h>

#include "rules/outcome.h"
#include "rules/random.h"

namespace {

void generatorStep(benchmark::State& state) {
    RandomSource::seed(12345);
    for (auto _ : state)
        benchmark::DoNotOptimize(RandomSource::next());
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(generatorStep);

void chooseOutcomeOnMachine(benchmark::State& state) {
    useMachineRules(static_cast<uint8_t>(state.range(0)));
    RandomSource::seed(12345);
    for (auto _ : state) {
        chooseOutcome();
        benchmark::DoNotOptimize(pendingMultiplier);
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel(machineNames[state.range(0)]);
}
BENCHMARK(chooseOutcomeOnMachine)->DenseRange(0, MachineCount - 1);

}  // namespace
