// The colour utilities' hot paths. A cached name lookup is set beside a plain
// std::unordered_map lookup (and one under a mutex) measured in the same run, since
// the figure that matters is the ratio.
#include "HSV.h"
#include "UIColor-Utilities.h"

#include <benchmark/benchmark.h>

#include <mutex>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

using U = UIColor_Utilities;

const char* const kHitName = "cornflowerblue";
const char* const kMissName = "notacolour";

std::unordered_map<std::string, UIColorRef> baselineMap() {
    std::unordered_map<std::string, UIColorRef> map;
    std::string text = UIColor_Utilities_Support::colorNameDB;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t hash = text.find('#', start);
        std::string name = text.substr(start + 1, hash - start - 1);
        map.emplace(name, U::colorWithRGBHex(std::stoul(text.substr(hash + 1, 6), nullptr, 16)));
        start = hash + 7;
    }
    return map;
}

void ColorWithNameHit(benchmark::State& state) {
    auto name = NSString::string(kHitName);
    U::colorWithName(name);
    for (auto _ : state) {
        benchmark::DoNotOptimize(U::colorWithName(name));
    }
}
BENCHMARK(ColorWithNameHit);

void ColorWithNameMiss(benchmark::State& state) {
    auto name = NSString::string(kMissName);
    U::colorWithName(name);
    for (auto _ : state) {
        benchmark::DoNotOptimize(U::colorWithName(name));
    }
}
BENCHMARK(ColorWithNameMiss);

void BaselineUnorderedMapLookup(benchmark::State& state) {
    auto map = baselineMap();
    std::string name = kHitName;
    for (auto _ : state) {
        auto found = map.find(name);
        UIColorRef color = found == map.end() ? nullptr : found->second;
        benchmark::DoNotOptimize(color);
    }
}
BENCHMARK(BaselineUnorderedMapLookup);

void BaselineLockedUnorderedMapLookup(benchmark::State& state) {
    auto map = baselineMap();
    std::mutex mutex;
    std::string name = kHitName;
    for (auto _ : state) {
        std::lock_guard guard(mutex);
        auto found = map.find(name);
        UIColorRef color = found == map.end() ? nullptr : found->second;
        benchmark::DoNotOptimize(color);
    }
}
BENCHMARK(BaselineLockedUnorderedMapLookup);

// The cache's object lock alone, entered and left: what a cached lookup adds to the
// hash-map lookup.
void CacheObjectLockAlone(benchmark::State& state) {
    id cache = UIColor_Utilities_Support::colorNameCache();
    for (auto _ : state) {
        ObjCSynchronized lock(cache);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(CacheObjectLockAlone);

// The uncached table search: the first lookup of each name pays this once.
void SearchForColorByName(benchmark::State& state) {
    auto name = NSString::string(state.range(0) ? "yellowgreen" : kMissName);
    for (auto _ : state) {
        benchmark::DoNotOptimize(UIColor_Utilities_Support::searchForColorByName(name));
    }
}
BENCHMARK(SearchForColorByName)->Arg(1)->Arg(0);

void ColorWithHexString(benchmark::State& state) {
    auto text = NSString::string("D1EEFC");
    for (auto _ : state) {
        benchmark::DoNotOptimize(U::colorWithHexString(text));
    }
}
BENCHMARK(ColorWithHexString);

void ColorWithString(benchmark::State& state) {
    auto text = NSString::string("{0.200, 0.400, 0.600, 1.000}");
    for (auto _ : state) {
        benchmark::DoNotOptimize(U::colorWithString(text));
    }
}
BENCHMARK(ColorWithString);

void StringFromColor(benchmark::State& state) {
    auto color = UIColor::colorWithRed(0.2f, 0.4f, 0.6f, 1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(U::stringFromColor(color));
    }
}
BENCHMARK(StringFromColor);

void RGBToHSV(benchmark::State& state) {
    std::mt19937 random(1);
    std::uniform_real_distribution<float> unit(0, 1);
    std::vector<RGBType> colours(1024);
    for (auto& c : colours) {
        c = RGBTypeMake(unit(random), unit(random), unit(random));
    }
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(RGB_to_HSV(colours[i++ & 1023]));
    }
}
BENCHMARK(RGBToHSV);

} // namespace
