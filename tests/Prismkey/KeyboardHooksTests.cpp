#include "../shared/TintPreferencesFixture.h"

#include <KeyboardHooks.h>
#include <KeyboardTint.h>
#include <UIKit/UIAlertView.h>

#include <unistd.h>

using namespace tintfixture;

namespace {

// ---- the order of installation, watched through a recording runtime ---------------

std::vector<std::string> recorded;
std::vector<std::string> missingClasses;

objc_class* fakeClass(const char* name) {
    // Distinct, never dereferenced: the installer only hands them back to the runtime.
    static std::map<std::string, int> tokens;
    return reinterpret_cast<objc_class*>(&tokens[name]);
}

Class recordGetClass(const char* name) {
    recorded.push_back(std::string("class ") + name);
    bool missing =
        std::find(missingClasses.begin(), missingClasses.end(), name) != missingClasses.end();
    return missing ? nullptr : fakeClass(name);
}

void recordHook(Class cls, SEL selector, IMP replacement, IMP* previous) {
    EXPECT_NE(cls, nullptr);
    EXPECT_NE(replacement, nullptr);
    EXPECT_NE(previous, nullptr);
    recorded.push_back(std::string("hook ") + sel_getName(selector));
}

BOOL recordAdd(Class cls, SEL selector, IMP imp, const char* types) {
    EXPECT_NE(cls, nullptr);
    EXPECT_NE(imp, nullptr);
    recorded.push_back(std::string("add ") + sel_getName(selector) + " " + types);
    return YES;
}

const KeyboardHookRuntime recordingRuntime{recordGetClass, recordHook, recordAdd};

const std::vector<std::string> factorySteps = {
    "class UIKBRenderFactory", "hook backgroundTraitsForKeyplane:", "add debugWithobj: v@:@"};
const std::vector<std::string> hostViewSteps = {"class UIPeripheralHostView", "hook layoutSubviews",
                                                "hook inputBackdropView", "add isOpen B@:"};
const std::vector<std::string> traitsSteps = {"class UITextInputTraits", "hook keyboardAppearance",
                                              "add isOpen B@:"};

std::vector<std::string> concat(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

TEST(KeyboardHookInstallation, TenStepsInOrder) {
    recorded.clear();
    missingClasses.clear();
    installKeyboardHooks(recordingRuntime);
    EXPECT_EQ(recorded, concat({factorySteps, hostViewSteps, traitsSteps}));
}

TEST(KeyboardHookInstallation, MissingClassIsSkippedAndTheRestInstalled) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"UIKBRenderFactory", concat({{"class UIKBRenderFactory"}, hostViewSteps, traitsSteps})},
        {"UIPeripheralHostView",
         concat({factorySteps, {"class UIPeripheralHostView"}, traitsSteps})},
        {"UITextInputTraits", concat({factorySteps, hostViewSteps, {"class UITextInputTraits"}})},
    };
    for (const auto& [missing, expected] : cases) {
        recorded.clear();
        missingClasses = {missing};
        installKeyboardHooks(recordingRuntime);
        EXPECT_EQ(recorded, expected) << missing;
    }
    missingClasses.clear();
}

// ---- the replacements, installed in keyboard classes of this process -------------

struct Recorder : objc_object {
    int layoutCalls = 0;
    UIColorRef background;
    UIColorRef backgroundDuringLayout;
    NSInteger appearance = 0;
    int appearanceCalls = 0;
    std::vector<std::tuple<id, SEL, id>> traitsCalls;
    std::vector<std::pair<id, SEL>> backdropCalls;
};

Recorder* recorder(id self) {
    return static_cast<Recorder*>(self);
}

void originalLayout(id self, SEL) {
    recorder(self)->layoutCalls++;
    recorder(self)->backgroundDuringLayout = recorder(self)->background;
}
void originalSetBackground(id self, SEL, id color) {
    recorder(self)->background =
        std::static_pointer_cast<UIColor>(dynamic_cast<UIColor*>(color)->shared_from_this());
}
id originalBackdrop(id self, SEL cmd) {
    recorder(self)->backdropCalls.emplace_back(self, cmd);
    return reinterpret_cast<id>(reinterpret_cast<char*>(self) + 1);
}
id originalTraits(id self, SEL cmd, id keyplane) {
    recorder(self)->traitsCalls.emplace_back(self, cmd, keyplane);
    return keyplane == nullptr ? self : reinterpret_cast<id>(reinterpret_cast<char*>(keyplane) + 3);
}
NSInteger originalAppearance(id self, SEL) {
    recorder(self)->appearanceCalls++;
    return recorder(self)->appearance;
}

template <class F> void addOriginal(Class cls, const char* selector, F function) {
    ASSERT_TRUE(class_addMethod(cls, sel_registerName(selector), imp_cast(function),
                                imp_types(function).c_str()));
}

class KeyboardHooks : public PreferencesFile {
  protected:
    // Both suites below share one set of classes and one installation.
    static void SetUpTestSuite() {
        if (objc_getClass("UIKBRenderFactory") != nullptr) {
            return;
        }
        Class factory = objc_allocateClassPair(nullptr, "UIKBRenderFactory");
        addOriginal(factory, "backgroundTraitsForKeyplane:", &originalTraits);
        objc_registerClassPair(factory);
        Class hostView = objc_allocateClassPair(nullptr, "UIPeripheralHostView");
        addOriginal(hostView, "layoutSubviews", &originalLayout);
        addOriginal(hostView, "inputBackdropView", &originalBackdrop);
        addOriginal(hostView, "setBackgroundColor:", &originalSetBackground);
        objc_registerClassPair(hostView);
        Class traits = objc_allocateClassPair(nullptr, "UITextInputTraits");
        addOriginal(traits, "keyboardAppearance", &originalAppearance);
        objc_registerClassPair(traits);
        installKeyboardHooks();
    }
    void SetUp() override {
        PreferencesFile::SetUp();
        factory.isa = objc_getClass("UIKBRenderFactory");
        hostView.isa = objc_getClass("UIPeripheralHostView");
        traits.isa = objc_getClass("UITextInputTraits");
    }
    void layout() { objc_msgSend<void>(&hostView, sel_registerName("layoutSubviews")); }
    NSInteger appearance() {
        return objc_msgSend<NSInteger>(&traits, sel_registerName("keyboardAppearance"));
    }

    Recorder factory, hostView, traits;
};

struct LayoutRow {
    const char* name;
    std::string contents; // empty: no file
    std::vector<float> background;
};

class KeyboardHooksLayout : public KeyboardHooks,
                            public ::testing::WithParamInterface<LayoutRow> {};

TEST_P(KeyboardHooksLayout, TintsBeforeTheOwnLayoutWhichRunsExactlyOnce) {
    const LayoutRow& row = GetParam();
    if (!row.contents.empty()) {
        put(row.contents);
    }
    for (int pass = 1; pass <= 3; ++pass) {
        layout();
        EXPECT_EQ(hostView.layoutCalls, pass);
        EXPECT_EQ(rgba(hostView.backgroundDuringLayout), row.background)
            << "set before the view's own layout, pass " << pass;
    }
    EXPECT_EQ(rgba(hostView.background), row.background);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, KeyboardHooksLayout,
    ::testing::Values(LayoutRow{"NoFile", "", {}},
                      LayoutRow{"OnWithFive", plist(openEntry("on") + colorEntry(fiveElements)),
                                std::vector<float>{0.2f, 0.4f, 0.6f, 1}},
                      LayoutRow{
                          "OnWithThree", plist(openEntry("on") + colorEntry(threeElements)), {}},
                      LayoutRow{"Off", plist(openEntry("off") + colorEntry(fiveElements)), {}},
                      LayoutRow{"Unreadable", "<plist><dict>", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(KeyboardHooks, AppearanceIsDarkWhileOnAndTheOwnAnswerOtherwise) {
    for (NSInteger own : {0, 2, 7, -1}) {
        traits.appearance = own;
        std::filesystem::remove(hostFile());
        EXPECT_EQ(appearance(), own);
        put(plist(openEntry("off")));
        EXPECT_EQ(appearance(), own);
    }
    EXPECT_EQ(traits.appearanceCalls, 8);
    put(plist(openEntry("on") + colorEntry(threeElements)));
    EXPECT_EQ(appearance(), 1);
    EXPECT_EQ(traits.appearanceCalls, 8) << "the own answer is not asked while the tint is on";
}

TEST_F(KeyboardHooks, PassThroughsReturnExactlyWhatTheOwnImplementationReturns) {
    SEL traitsSelector = sel_registerName("backgroundTraitsForKeyplane:");
    std::vector<Recorder> keyplanes(3);
    std::vector<id> arguments = {nullptr, &keyplanes[0], &keyplanes[1], &keyplanes[2]};
    for (id keyplane : arguments) {
        id expected = keyplane == nullptr
                          ? static_cast<id>(&factory)
                          : reinterpret_cast<id>(reinterpret_cast<char*>(keyplane) + 3);
        EXPECT_EQ(objc_msgSend<id>(&factory, traitsSelector, keyplane), expected);
        EXPECT_EQ(factory.traitsCalls.back(),
                  std::make_tuple(static_cast<id>(&factory), traitsSelector, keyplane));
    }
    EXPECT_EQ(factory.traitsCalls.size(), arguments.size());

    SEL backdropSelector = sel_registerName("inputBackdropView");
    put(plist(openEntry("on") + colorEntry(fiveElements)));
    EXPECT_EQ(objc_msgSend<id>(&hostView, backdropSelector),
              reinterpret_cast<id>(reinterpret_cast<char*>(&hostView) + 1));
    ASSERT_EQ(hostView.backdropCalls.size(), 1u);
    EXPECT_EQ(hostView.backdropCalls[0],
              std::make_pair(static_cast<id>(&hostView), backdropSelector));
}

TEST_F(KeyboardHooks, AddedIsOpenAnswersFromTheFileOnBothClasses) {
    SEL isOpen = sel_registerName("isOpen");
    for (Recorder* receiver : {&hostView, &traits}) {
        std::filesystem::remove(hostFile());
        EXPECT_FALSE(objc_msgSend<BOOL>(receiver, isOpen));
        put(plist(openEntry("on")));
        EXPECT_TRUE(objc_msgSend<BOOL>(receiver, isOpen));
        put(plist(openEntry("On")));
        EXPECT_FALSE(objc_msgSend<BOOL>(receiver, isOpen));
    }
    EXPECT_FALSE(class_respondsToSelector(objc_getClass("UIKBRenderFactory"), isOpen));
}

TEST_F(KeyboardHooks, DebugAlertShowsTheObjectsDescription) {
    auto text = NSString::string("keyplane-7");
    testing::internal::CaptureStderr();
    objc_msgSend<void>(&factory, sel_registerName("debugWithobj:"), static_cast<id>(text.get()));
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(log, "alert: test: keyplane-7\n");
    UIAlertView* alert = UIAlertView::visibleAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->title(), "test");
    EXPECT_EQ(alert->message(), "keyplane-7");
    EXPECT_EQ(alert->delegate(), nullptr);
    ASSERT_EQ(alert->numberOfButtons(), 1);
    EXPECT_EQ(alert->buttonTitleAtIndex(alert->cancelButtonIndex()), "ok");
    alert->pressButtonAtIndex(alert->cancelButtonIndex());
    EXPECT_EQ(UIAlertView::visibleAlert(), nullptr);
}

// ---- replacements whose own work fails, each in a process of its own -------------

// Keyboard classes of a process where something went wrong before the plug-in came:
// a host view whose `isOpen` has the types given (none: the plug-in adds its own),
// and whose `setBackgroundColor:` may be missing.
struct TroubledProcess {
    const char* isOpenTypes;
    bool canSetBackground;
};

NSInteger clashingIsOpen(id, SEL) {
    return 7;
}
BOOL ownIsOpen(id, SEL) {
    return NO;
}

// Installs the plug-in on the troubled classes, lays the view out twice and asks for
// the appearance once; exits 0 when the view's own layout ran once a pass, the tint
// is as `tinted` says, and the appearance is `appearance`.
[[noreturn]] void runTroubledProcess(const TroubledProcess& process, bool tinted,
                                     NSInteger appearance) {
    static TroubledProcess current;
    current = process;
    auto define = [](const char* name, auto addOriginals) {
        Class cls = objc_allocateClassPair(nullptr, name);
        addOriginals(cls);
        if (current.isOpenTypes != nullptr) {
            IMP isOpen = std::string(current.isOpenTypes).front() == 'B'
                             ? imp_cast(&ownIsOpen)
                             : imp_cast(&clashingIsOpen);
            class_addMethod(cls, sel_registerName("isOpen"), isOpen, current.isOpenTypes);
        }
        objc_registerClassPair(cls);
        return cls;
    };
    static Class hostView = define("TroubledHostView", [](Class cls) {
        addOriginal(cls, "layoutSubviews", &originalLayout);
        if (current.canSetBackground) {
            addOriginal(cls, "setBackgroundColor:", &originalSetBackground);
        }
    });
    static Class traits = define("TroubledTraits", [](Class cls) {
        addOriginal(cls, "keyboardAppearance", &originalAppearance);
    });
    static Class factory = define("TroubledFactory", [](Class cls) {
        addOriginal(cls, "backgroundTraitsForKeyplane:", &originalTraits);
    });
    KeyboardHookRuntime runtime;
    runtime.getClass = [](const char* name) -> Class {
        std::string wanted = name;
        return wanted == "UIPeripheralHostView" ? hostView
               : wanted == "UITextInputTraits"  ? traits
                                                : factory;
    };
    installKeyboardHooks(runtime);
    Recorder view, inputTraits;
    view.isa = hostView;
    inputTraits.isa = traits;
    inputTraits.appearance = 4;
    bool ok = true;
    for (int pass = 1; pass <= 2; ++pass) {
        objc_msgSend<void>(&view, sel_registerName("layoutSubviews"));
        ok = ok && view.layoutCalls == pass && (view.background != nullptr) == tinted;
    }
    ok = ok && objc_msgSend<NSInteger>(&inputTraits, sel_registerName("keyboardAppearance")) ==
                   appearance;
    // At once, so that nothing run at exit (a leak checker's summary) adds to the log.
    _exit(ok ? 0 : 1);
}

struct TroubleRow {
    const char* name;
    TroubledProcess process;
    bool tinted;
    NSInteger appearance;
    const char* log; // what standard error says, as a regular expression
};

class KeyboardHooksInTrouble : public PreferencesFile,
                               public ::testing::WithParamInterface<TroubleRow> {};

TEST_P(KeyboardHooksInTrouble, OriginalAnswersAndTheTroubleIsReportedOnce) {
    const TroubleRow& row = GetParam();
    put(plist(openEntry("on") + colorEntry(fiveElements)));
    EXPECT_EXIT(runTroubledProcess(row.process, row.tinted, row.appearance),
                ::testing::ExitedWithCode(0), row.log);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, KeyboardHooksInTrouble,
    ::testing::Values(
        TroubleRow{"NothingWrong", {nullptr, true}, true, 1, "^$"},
        TroubleRow{"OwnBooleanIsOpenWithOffsets", {"B16@0:8", true}, false, 4, "^$"},
        TroubleRow{"ClashingIsOpen",
                   {"q16@0:8", true},
                   false,
                   4,
                   "UIPeripheralHostView already has isOpen with the types \"q@:\", not "
                   "\"B@:\".*\n.*UITextInputTraits already has isOpen"},
        TroubleRow{"BackgroundCannotBeSet",
                   {nullptr, false},
                   false,
                   1,
                   "^[^\n]*layoutSubviews\\] failed \\(.*setBackgroundColor:.*\\); the keyboard's "
                   "own implementation answers instead\n$"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
