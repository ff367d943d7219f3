// The keyboard's cost of consulting the preferences file on a layout pass, against
// the floor of the same work without parsing: the existence test plus two whole
// reads of the file. Also one atomic, flushed write.
#include <Foundation/NSFileManager.h>
#include <Foundation/NSPropertyListSerialization.h>
#include <TintPreferences.h>

#include "../tests/shared/BinaryPropertyList.h"
#include "TestSupport.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

// A device root on disk, with the file a user has after switching on and saving.
class PreferencesOnDisk {
  public:
    PreferencesOnDisk() {
        NSFileManager::setDeviceRoot(root_.path().string());
        NSFileManager::defaultManager()->createStandardDeviceFolders();
        TintPreferences::loadForScreen();
        TintPreferences::toggleOpen();
        TintPreferences::storeColor(UIColor::colorWithRed(0.2f, 0.4f, 0.6f, 1));
        hostPath_ = NSFileManager::hostPath(TintPreferencesPath);
    }
    const std::string& hostPath() const { return hostPath_; }

  private:
    testsupport::TemporaryDirectory root_;
    std::string hostPath_;
};

PreferencesOnDisk& preferences() {
    static PreferencesOnDisk instance;
    return instance;
}

std::size_t readWhole(const char* path) {
    char buffer[4096];
    std::size_t total = 0;
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) {
        total += static_cast<std::size_t>(n);
    }
    close(fd);
    return total;
}

void Floor(benchmark::State& state) {
    const char* path = preferences().hostPath().c_str();
    for (auto _ : state) {
        benchmark::DoNotOptimize(access(path, F_OK));
        benchmark::DoNotOptimize(readWhole(path));
        benchmark::DoNotOptimize(readWhole(path));
    }
}
BENCHMARK(Floor);

void LayoutPass(benchmark::State& state) {
    preferences();
    for (auto _ : state) {
        bool open = TintPreferences::isOpen();
        UIColorRef tint = TintPreferences::storedTint();
        benchmark::DoNotOptimize(open);
        benchmark::DoNotOptimize(tint.get());
    }
}
BENCHMARK(LayoutPass);

// The same pass through the general (libplist) reader alone, for comparison.
void LayoutPassGeneralReader(benchmark::State& state) {
    preferences();
    auto manager = NSFileManager::defaultManager();
    std::string contents;
    for (auto _ : state) {
        benchmark::DoNotOptimize(manager->fileExistsAtPath(TintPreferencesPath));
        for (int read = 0; read < 2; ++read) {
            manager->contentsAtPath(TintPreferencesPath, contents);
            NSObjectRef list =
                NSPropertyListSerialization::propertyListWithDataUsingGeneralReader(contents);
            benchmark::DoNotOptimize(list.get());
        }
    }
}
BENCHMARK(LayoutPassGeneralReader);

// The pass and the floor side by side in alternating batches, each going first in
// turn, so that both see the same load on a busy machine; the figures are the median,
// 10th and 90th percentile of the batches' ratios.
template <class Pass> void alternatingRatio(benchmark::State& state, Pass pass) {
    const char* path = preferences().hostPath().c_str();
    constexpr int batch = 200;
    auto time = [](auto&& work) {
        auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < batch; ++i) {
            work();
        }
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    auto floor = [&] {
        benchmark::DoNotOptimize(access(path, F_OK));
        benchmark::DoNotOptimize(readWhole(path));
        benchmark::DoNotOptimize(readWhole(path));
    };
    std::vector<double> ratios;
    for (auto _ : state) {
        bool floorFirst = ratios.size() % 2 == 0;
        double first = floorFirst ? time(floor) : time(pass);
        double second = floorFirst ? time(pass) : time(floor);
        ratios.push_back(floorFirst ? second / first : first / second);
    }
    std::sort(ratios.begin(), ratios.end());
    auto percentile = [&](double p) {
        return ratios[static_cast<std::size_t>(p * static_cast<double>(ratios.size() - 1))];
    };
    state.counters["ratio"] = percentile(0.5);
    state.counters["p10"] = percentile(0.1);
    state.counters["p90"] = percentile(0.9);
}

void LayoutPassOverFloor(benchmark::State& state) {
    alternatingRatio(state, [] {
        bool open = TintPreferences::isOpen();
        UIColorRef tint = TintPreferences::storedTint();
        benchmark::DoNotOptimize(open);
        benchmark::DoNotOptimize(tint.get());
    });
}
BENCHMARK(LayoutPassOverFloor)->Iterations(200);

// The pass with an existence test of its own before the reads, as the floor has one:
// what the reads' own open saves.
void LayoutPassWithExistenceTestOverFloor(benchmark::State& state) {
    auto manager = NSFileManager::defaultManager();
    alternatingRatio(state, [&] {
        bool open = manager->fileExistsAtPath(TintPreferencesPath) && TintPreferences::isOpen();
        UIColorRef tint = TintPreferences::storedTint();
        benchmark::DoNotOptimize(open);
        benchmark::DoNotOptimize(tint.get());
    });
}
BENCHMARK(LayoutPassWithExistenceTestOverFloor)->Iterations(200);

void AtomicWrite(benchmark::State& state) {
    preferences();
    for (auto _ : state) {
        benchmark::DoNotOptimize(TintPreferences::toggleOpen().write.succeeded());
    }
}
BENCHMARK(AtomicWrite)->Unit(benchmark::kMillisecond);

} // namespace

namespace {

// The parsing alone, from memory: what the layout pass adds to the floor twice.
void ParseOnly(benchmark::State& state) {
    std::string contents = testsupport::readFile(preferences().hostPath());
    for (auto _ : state) {
        NSObjectRef list = NSPropertyListSerialization::propertyListWithData(contents);
        benchmark::DoNotOptimize(list.get());
    }
}
BENCHMARK(ParseOnly);

void ParseOnlyGeneralReader(benchmark::State& state) {
    std::string contents = testsupport::readFile(preferences().hostPath());
    for (auto _ : state) {
        NSObjectRef list =
            NSPropertyListSerialization::propertyListWithDataUsingGeneralReader(contents);
        benchmark::DoNotOptimize(list.get());
    }
}
BENCHMARK(ParseOnlyGeneralReader);

} // namespace

namespace {

// The slowest lists within the reading budget, and lists past it, parsed from memory:
// what a hostile file can cost one layout pass before the bytes are kept.
std::string xmlList(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n" + body +
           "\n</plist>\n";
}

std::string repeated(const std::string& text, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        out += text;
    }
    return out;
}

std::string budgetCase(int which) {
    switch (which) {
    case 0: { // dictionaries of 64 keys through libplist, which looks each key up
        std::string body = "<array><!-- not the quick reader's -->";
        for (int d = 0; d < 3; ++d) {
            body += "<dict>";
            for (int i = 0; i < 64; ++i) {
                body += "<key>key" + std::to_string(i) + "</key><real>1.5</real>";
            }
            body += "</dict>";
        }
        return xmlList(body + "<array>" + repeated("<true/>", 123) + "</array></array>");
    }
    case 1: // 511 reals through libplist
        return xmlList("<array><!---->" + repeated("<real>-1.2345678901234567e-300</real>", 511) +
                       "</array>");
    case 2: // 64 references before 63 KB of text, each moving the rest
        return xmlList("<string>" + repeated("&amp;", 64) + std::string(63000, 'x') + "</string>");
    case 3: { // a binary list of 511 strings
        binaryplist::Builder b;
        std::vector<std::size_t> items;
        for (int i = 0; i < 511; ++i) {
            items.push_back(b.string("s" + std::to_string(i)));
        }
        return b.bytes(b.array(items));
    }
    case 4: // 2^28 leaves from 341 bytes: refused
        return binaryplist::doublingList(28);
    default: // 513 elements: refused
        return xmlList("<array>" + repeated("<true/>", 512) + "</array>");
    }
}

void ParseWithinBudget(benchmark::State& state) {
    const std::string bytes = budgetCase(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        NSObjectRef list = NSPropertyListSerialization::propertyListWithData(bytes);
        benchmark::DoNotOptimize(list.get());
    }
    state.SetLabel(std::to_string(bytes.size()) + " bytes");
}
BENCHMARK(ParseWithinBudget)->DenseRange(0, 5)->Unit(benchmark::kMicrosecond);

} // namespace
