// Python's plistlib writes binary lists that hold values the XML form cannot carry: a
// toggle and a save keep every value as it was, or write nothing and name the key.
#include "TintPreferencesFixture.h"

using namespace tintfixture;
using TintPreferences::WriteFailure;

namespace {

// Writes {"open": "off", "kept": VALUE} in binary to FILE when given VALUE (a Python
// expression); prints what FILE holds under "kept", dictionaries in key order.
const char* const script = R"(
import datetime, plistlib, sys
def ordered(v):
    if isinstance(v, dict):
        return sorted((k, ordered(x)) for k, x in v.items())
    return [ordered(x) for x in v] if isinstance(v, list) else v
if len(sys.argv) > 2:
    with open(sys.argv[1], 'wb') as f:
        plistlib.dump({'open': 'off', 'kept': eval(sys.argv[2])}, f, fmt=plistlib.FMT_BINARY)
with open(sys.argv[1], 'rb') as f:
    print(repr(ordered(plistlib.load(f)['kept'])))
)";

testsupport::ProcessResult plistlib(const std::filesystem::path& file,
                                    const char* value = nullptr) {
    std::vector<std::string> arguments = {"/usr/bin/env", "python3", "-c", script, file.string()};
    if (value != nullptr) {
        arguments.emplace_back(value);
    }
    return testsupport::runProcess(arguments);
}

using TintPreferencesInterop = PreferencesFile;

TEST_F(TintPreferencesInterop, WhatXmlCannotCarryIsKeptOrTheWriteNamesItsKey) {
    const struct {
        const char* name;
        const char* value;
        const char* refused; // the path of keys named; "": written, and read back alike
    } rows[] = {
        {"identifier", "plistlib.UID(7)", "\"kept\""},
        {"identifier in a list", "['a', plistlib.UID(0)]", "\"kept\"/1"},
        {"identifier in a dictionary", "{'$class': plistlib.UID(2**40)}", "\"kept\"/\"$class\""},
        {"what XML carries",
         "{'n': -5, 'r': 0.5, 'b': b'\\x00\\xff', 't': 'caf\\u00e9', 'yes': True, "
         "'d': datetime.datetime(2030, 5, 6, 7, 8, 9), 'l': [[], {}]}",
         ""},
    };
    for (const auto& row : rows) {
        testsupport::ProcessResult written = plistlib(hostFile(), row.value);
        ASSERT_EQ(written.exitCode, 0) << row.name << ": " << written.standardError;
        const std::string before = bytes();
        TintPreferences::ToggleResult toggled = TintPreferences::toggleOpen();
        TintPreferences::WriteResult saved = TintPreferences::storeColor(UIColor::redColor());
        testsupport::ProcessResult after = plistlib(hostFile());
        EXPECT_EQ(after.standardOutput, written.standardOutput) << row.name;
        if (std::string(row.refused).empty()) {
            EXPECT_TRUE(toggled.write.succeeded()) << row.name << ": " << toggled.write.reason;
            EXPECT_TRUE(saved.succeeded()) << row.name << ": " << saved.reason;
            EXPECT_TRUE(TintPreferences::isOpen()) << row.name;
            continue;
        }
        for (const TintPreferences::WriteResult& write : {toggled.write, saved}) {
            EXPECT_EQ(write.failure, WriteFailure::WouldNotReadBack) << row.name;
            EXPECT_NE(write.reason.find("the value at " + std::string(row.refused) +
                                        " holds a keyed-archive identifier"),
                      std::string::npos)
                << row.name << ": " << write.reason;
        }
        EXPECT_EQ(bytes(), before) << row.name;
    }
}

// Another tool writes "saveColor" as numbers: the readers take its colour, and a
// toggle writes the numbers back as the numbers they were, integer and real.
TEST_F(TintPreferencesInterop, ColourWrittenAsNumbersIsReadAndKeptAsNumbers) {
    const char* const numbers = R"(
import plistlib, sys
if len(sys.argv) > 2:
    with open(sys.argv[1], 'wb') as f:
        plistlib.dump({'open': 'on', 'saveColor': ['UIDeviceRGBColorSpace', 0.2, 0.4, 0.6, 1]},
                      f, fmt=plistlib.FMT_BINARY)
with open(sys.argv[1], 'rb') as f:
    print(repr(plistlib.load(f)['saveColor']))
)";
    const std::string path = hostFile().string();
    testsupport::ProcessResult written =
        testsupport::runProcess({"/usr/bin/env", "python3", "-c", numbers, path, "write"});
    ASSERT_EQ(written.exitCode, 0) << written.standardError;
    const std::vector<float> blueish = {0.2f, 0.4f, 0.6f, 1.0f};
    EXPECT_EQ(rgba(TintPreferences::storedTint()), blueish);
    EXPECT_EQ(rgba(TintPreferences::loadForScreen().storedColor), blueish);

    TintPreferences::ToggleResult toggled = TintPreferences::toggleOpen();
    ASSERT_TRUE(toggled.write.succeeded()) << toggled.write.reason;
    testsupport::ProcessResult after =
        testsupport::runProcess({"/usr/bin/env", "python3", "-c", numbers, path});
    EXPECT_EQ(after.standardOutput, "['UIDeviceRGBColorSpace', 0.2, 0.4, 0.6, 1]\n");
    EXPECT_EQ(after.standardOutput, written.standardOutput);
}

} // namespace
