// Python's plistlib, an independent implementation, reads what we write and writes
// what we read.
#include <Foundation/Foundation.h>
#include <Foundation/NSFileManager.h>

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

testsupport::ProcessResult python(const std::string& script, const std::string& argument) {
    return testsupport::runProcess({"/usr/bin/env", "python3", "-c", script, argument});
}

class PlistlibInterop : public ::testing::Test {
  protected:
    void SetUp() override { NSFileManager::setDeviceRoot(root.path().string()); }
    std::string host(const std::string& devicePath) const {
        return NSFileManager::hostPath(devicePath);
    }
    testsupport::TemporaryDirectory root;
};

TEST_F(PlistlibInterop, PlistlibReadsOurFileWithTheKeysAndTypesWeWrote) {
    auto dictionary = NSMutableDictionary::dictionary();
    dictionary->setObject(NSString::string("on"), "open");
    dictionary->setObject(
        NSString::string("UIDeviceRGBColorSpace 0.2 0.4 0.6 1")->componentsSeparatedByString(" "),
        "saveColor");
    dictionary->setObject(NSString::string("gr\xc3\xbcn & <blau>"), "text");
    dictionary->setObject(NSNumber::numberWithInteger(-12), "integer");
    dictionary->setObject(NSNumber::numberWithDouble(0.1), "real");
    dictionary->setObject(NSNumber::numberWithBool(false), "flag");
    dictionary->setObject(std::make_shared<NSData>(std::vector<std::uint8_t>{0, 255}), "data");
    dictionary->setObject(std::make_shared<NSDate>(86400.0), "date");
    ASSERT_TRUE(dictionary->writeToFile("/prefs.plist", true));

    const char* script = R"(
import plistlib, sys
with open(sys.argv[1], 'rb') as f:
    head = f.read(38)
    f.seek(0)
    d = plistlib.load(f)
print(head.decode())
for k in sorted(d):
    v = d[k]
    print(k, type(v).__name__, repr(v))
)";
    testsupport::ProcessResult result = python(script, host("/prefs.plist"));
    ASSERT_EQ(result.exitCode, 0) << result.standardError;
    EXPECT_EQ(result.standardOutput,
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "data bytes b'\\x00\\xff'\n"
              "date datetime datetime.datetime(2001, 1, 2, 0, 0)\n"
              "flag bool False\n"
              "integer int -12\n"
              "open str 'on'\n"
              "real float 0.1\n"
              "saveColor list ['UIDeviceRGBColorSpace', '0.2', '0.4', '0.6', '1']\n"
              "text str 'gr\xc3\xbcn & <blau>'\n");
}

TEST_F(PlistlibInterop, WeReadWhatPlistlibWritesInBothForms) {
    const char* script = R"(
import datetime, plistlib, sys
d = {'open': 'on', 'saveColor': ['UIDeviceRGBColorSpace', '0.2', '0.4', '0.6', '1'],
     'count': 7, 'big': -(2**40), 'ratio': 2.5, 'yes': True, 'blob': b'\x01\x02',
     'when': datetime.datetime(2001, 1, 1, 0, 1), 'nested': {'empty': [], 'text': 'caf\u00e9 & co'}}
with open(sys.argv[1] + '/binary.plist', 'wb') as f:
    plistlib.dump(d, f, fmt=plistlib.FMT_BINARY)
with open(sys.argv[1] + '/xml.plist', 'wb') as f:
    plistlib.dump(d, f, fmt=plistlib.FMT_XML)
)";
    testsupport::ProcessResult result = python(script, root.path().string());
    ASSERT_EQ(result.exitCode, 0) << result.standardError;
    for (const char* file : {"/binary.plist", "/xml.plist"}) {
        auto d = NSDictionary::dictionaryWithContentsOfFile(file);
        ASSERT_TRUE(d) << file;
        EXPECT_EQ(ns_cast<NSString>(d->objectForKey("open"))->utf8(), "on") << file;
        auto color = ns_cast<NSArray>(d->objectForKey("saveColor"));
        ASSERT_TRUE(color && color->count() == 5) << file;
        EXPECT_EQ(ns_cast<NSString>(color->objectAtIndex(3))->utf8(), "0.6") << file;
        EXPECT_EQ(ns_cast<NSNumber>(d->objectForKey("count"))->integerValue(), 7) << file;
        EXPECT_EQ(ns_cast<NSNumber>(d->objectForKey("big"))->longLongValue(), -(1LL << 40)) << file;
        EXPECT_EQ(ns_cast<NSNumber>(d->objectForKey("ratio"))->doubleValue(), 2.5) << file;
        EXPECT_EQ(ns_cast<NSNumber>(d->objectForKey("yes"))->kind(), NSNumber::Kind::Boolean)
            << file;
        EXPECT_EQ(ns_cast<NSData>(d->objectForKey("blob"))->bytes(),
                  (std::vector<std::uint8_t>{1, 2}))
            << file;
        EXPECT_EQ(ns_cast<NSDate>(d->objectForKey("when"))->timeIntervalSinceReferenceDate(), 60.0)
            << file;
        auto nested = ns_cast<NSDictionary>(d->objectForKey("nested"));
        ASSERT_TRUE(nested) << file;
        EXPECT_EQ(ns_cast<NSString>(nested->objectForKey("text"))->utf8(), "caf\xc3\xa9 & co")
            << file;
        EXPECT_EQ(ns_cast<NSArray>(nested->objectForKey("empty"))->count(), 0u) << file;
    }
}

// plistlib writes every kind of value in both forms; we read the file, change one key
// and write it back, as a toggle does; plistlib then finds every other value as it
// wrote it, bit for bit.
TEST_F(PlistlibInterop, EveryValueSurvivesOurReadModifyWrite) {
    const char* values = R"(
import datetime, math, plistlib, struct, sys
values = {'open': 'off', 'largest unsigned': 2**64 - 1, 'above signed': 2**63,
          'minus one': -1, 'smallest signed': -2**63, 'nan': math.nan, 'inf': math.inf,
          'minus inf': -math.inf, 'tiny': 5e-324, 'tenth': 0.1, 'flag': True,
          'when': datetime.datetime(2030, 5, 6, 7, 8, 9), 'blob': bytes(range(256)),
          '': 'empty key', 'cl\u00e9': 'caf\u00e9 \u20ac \U0001f3a8', 'empty': '',
          'nested': {'list': [[], {}, [1, [2.5, 'x']]], 'markup': '<a> & ]]>'}}
def same(a, b):
    if isinstance(a, float):
        return isinstance(b, float) and (math.isnan(a) and math.isnan(b) or struct.pack('>d', a) == struct.pack('>d', b))
    if isinstance(a, dict):
        return isinstance(b, dict) and a.keys() == b.keys() and all(same(a[k], b[k]) for k in a)
    if isinstance(a, list):
        return isinstance(b, list) and len(a) == len(b) and all(same(x, y) for x, y in zip(a, b))
    return type(a) == type(b) and a == b
)";
    const std::string write = std::string(values) + R"(
fmt = plistlib.FMT_BINARY if sys.argv[1].endswith('binary.plist') else plistlib.FMT_XML
with open(sys.argv[1], 'wb') as f:
    plistlib.dump(values, f, fmt=fmt)
)";
    const std::string check = std::string(values) + R"(
with open(sys.argv[1], 'rb') as f:
    back = plistlib.load(f)
values['open'] = 'on'
for k in sorted(set(values) | set(back)):
    if not same(values.get(k), back.get(k)):
        print('changed:', repr(k), repr(values.get(k)), '->', repr(back.get(k)))
)";
    for (const std::string file : {"/binary.plist", "/xml.plist"}) {
        testsupport::ProcessResult written = python(write, host(file));
        ASSERT_EQ(written.exitCode, 0) << written.standardError;
        auto dictionary = NSMutableDictionary::dictionaryWithContentsOfFile(file);
        ASSERT_TRUE(dictionary) << file;
        dictionary->setObject(NSString::string("on"), "open");
        std::string failure;
        ASSERT_TRUE(dictionary->writeToFile(file, true, &failure)) << file << ": " << failure;
        testsupport::ProcessResult checked = python(check, host(file));
        EXPECT_EQ(checked.exitCode, 0) << checked.standardError;
        EXPECT_EQ(checked.standardOutput, "") << file;
    }
}

// A value we cannot carry back exactly (a date our reader cannot hold, a fraction of a
// second) leaves the file as plistlib wrote it.
TEST_F(PlistlibInterop, ValueThatCannotBeWrittenBackLeavesTheFileAlone) {
    const char* script = R"(
import datetime, plistlib, sys
cases = {'far.plist': datetime.datetime(2100, 1, 1), 'fraction.plist': datetime.datetime(2020, 1, 1, 0, 0, 0, 500000)}
for name, when in cases.items():
    with open(sys.argv[1] + '/' + name, 'wb') as f:
        plistlib.dump({'open': 'off', 'when': when}, f, fmt=plistlib.FMT_BINARY)
)";
    testsupport::ProcessResult result = python(script, root.path().string());
    ASSERT_EQ(result.exitCode, 0) << result.standardError;
    for (const std::string file : {"/far.plist", "/fraction.plist"}) {
        const std::string before = testsupport::readFile(host(file));
        auto dictionary = NSMutableDictionary::dictionaryWithContentsOfFile(file);
        ASSERT_TRUE(dictionary) << file;
        dictionary->setObject(NSString::string("on"), "open");
        std::string failure;
        EXPECT_FALSE(dictionary->writeToFile(file, true, &failure)) << file;
        EXPECT_NE(failure.find("date"), std::string::npos) << failure;
        EXPECT_EQ(testsupport::readFile(host(file)), before) << file;
    }
}

} // namespace
