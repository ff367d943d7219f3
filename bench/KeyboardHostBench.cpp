// keyboard-host: one key tap to the next frame at scale 2, with the plug-in loaded
// and the tint on, so each layout pass reads the preferences file twice (on and the
// colour) and the appearance query once more.
#include <KeyboardClasses.h>
#include <KeyboardHostViewController.h>

#include <Foundation/NSFileManager.h>
#include <Host/Session/HostSession.h>
#include <PluginLoader.h>
#include <QuartzCore/CAMediaTiming.h>
#include <TintPreferences.h>
#include <UIKit/UIScreen.h>
#include <UIKit/UIWindow.h>

#include "TestSupport.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

std::filesystem::path buildFolder() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path();
}

struct Keyboard {
    Keyboard() {
        NSFileManager::setDeviceRoot(root.path().string());
        NSFileManager::defaultManager()->createStandardDeviceFolders();
        TintPreferences::loadForScreen();
        TintPreferences::toggleOpen();
        TintPreferences::storeColor(UIColor::colorWithRed(0, 0, 1, 1));
        KeyboardClasses::registerAll();
        const PluginProcess process{"keyboard-host", {"com.apple.UIKit"}};
        loaded = PluginLoader::loadedNames(
            PluginLoader::loadPlugins((buildFolder() / "DynamicLibraries").string(), process));
        CAMediaTimeUseVirtualClock(0);
        UIScreen::mainScreen()->setScale(2);
        window = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
        controller = std::make_shared<KeyboardHostViewController>();
        window->setRootViewController(controller);
        window->makeKeyAndVisible();
        session.renderFrame();
        UIKBKeyView* key = controller->hostView()->keyForCharacter('a');
        CGRect b = key->bounds();
        keyCentre = key->convertPointToView({CGRectGetMidX(b), CGRectGetMidY(b)}, nullptr);
    }
    testsupport::TemporaryDirectory root;
    std::vector<std::string> loaded;
    std::shared_ptr<UIWindow> window;
    std::shared_ptr<KeyboardHostViewController> controller;
    HostSession session{2};
    CGPoint keyCentre{};
};

Keyboard& keyboard() {
    static Keyboard shared;
    return shared;
}

void BM_KeyTapToFrame(benchmark::State& state) {
    Keyboard& k = keyboard();
    if (k.loaded.empty()) {
        state.SkipWithError("the plug-in did not load");
        return;
    }
    for (auto _ : state) {
        k.session.tap(k.keyCentre);
        benchmark::DoNotOptimize(k.session.renderFrame());
    }
}
BENCHMARK(BM_KeyTapToFrame)->Unit(benchmark::kMillisecond);

// The baseline in the same run: a frame when nothing changed.
void BM_UnchangedFrame(benchmark::State& state) {
    Keyboard& k = keyboard();
    for (auto _ : state) {
        benchmark::DoNotOptimize(k.session.renderFrame());
    }
}
BENCHMARK(BM_UnchangedFrame)->Unit(benchmark::kMillisecond);

} // namespace
