// How the start-up scan and a tab refresh grow with the number of entries,
// on the simulated machine. Run: build/host/quellmark_bench
#include <benchmark/benchmark.h>

#include "core/categories/table.h"
#include "forms/main_form.h"
#include "report/run.h"
#include "ui/sim/sim_desktop.h"

namespace qm {
namespace {

constexpr const char* kHKCURun = "HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kComponents = "HKLM\\SOFTWARE\\Microsoft\\Active Setup\\Installed Components\\";

void FillRun(sim::SimDesktop& m, int64_t count) {
    for (int64_t i = 0; i < count; ++i)
        m.registry.SetString(kHKCURun, "Value" + std::to_string(i),
                             "\"C:\\Program Files\\App" + std::to_string(i) + "\\app.exe\" -min");
}

// Process start to idle: the start-up scan and the first show of tab 1.
void BM_StartupWithRunValues(benchmark::State& state) {
    sim::SimDesktop m;
    FillRun(m, state.range(0));
    for (auto _ : state) {
        MainForm form(m.platform, m.toolkit);
        form.ScanAtStart();
        form.FirstShow();
        benchmark::DoNotOptimize(form.ListById("hkcu-run").Count());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_StartupWithRunValues)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// One refresh of the Run tab.
void BM_RunTabRefresh(benchmark::State& state) {
    sim::SimDesktop m;
    FillRun(m, state.range(0));
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    for (auto _ : state) {
        form.ShowPage(0);
        benchmark::DoNotOptimize(form.ListById("hkcu-run").Count());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RunTabRefresh)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_ActiveXTabRefresh(benchmark::State& state) {
    sim::SimDesktop m;
    for (int64_t i = 0; i < state.range(0); ++i) {
        const std::string key = kComponents + std::string("{component-") + std::to_string(i) + "}";
        m.registry.SetString(key, "", "Component " + std::to_string(i));
        m.registry.SetString(key, "ComponentID", "C" + std::to_string(i));
        m.registry.SetString(key, "StubPath", "C:\\Windows\\system32\\rundll32.exe setup.dll,Install");
    }
    MainForm form(m.platform, m.toolkit);
    form.ScanAtStart();
    for (auto _ : state) {
        form.ShowPage(9);
        benchmark::DoNotOptimize(form.ListById("components").Count());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ActiveXTabRefresh)->Arg(2000)->Unit(benchmark::kMillisecond);

// The report as JSON, written to an output that only counts the bytes: the
// work per entry of quellmark-report.exe beside the machine's answers.
class CountingHost : public report::IReportHost {
public:
    struct Counter : report::IOutput {
        size_t bytes = 0;
        void Write(std::string_view text) override { bytes += text.size(); }
    } out;
    report::IOutput& StandardOutput() override { return out; }
    bool StandardOutputOk() override { return true; }
    void StandardError(std::string_view) override {}
    bool ReadFile(const std::string&, size_t, std::string&, std::string& error) override {
        error = "no files here";
        return false;
    }
    std::unique_ptr<report::IOutputFile> CreateOutputFile(const std::string&, std::string& error) override {
        error = "no files here";
        return nullptr;
    }
};

void BM_ReportWithRunValues(benchmark::State& state) {
    sim::SimDesktop m;
    FillRun(m, state.range(0));
    for (auto _ : state) {
        CountingHost host;
        benchmark::DoNotOptimize(report::RunReport(m.platform, kCategories, {"--format", "json"}, host));
        benchmark::DoNotOptimize(host.out.bytes);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReportWithRunValues)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qm

BENCHMARK_MAIN();
