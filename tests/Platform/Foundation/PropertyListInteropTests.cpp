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

} // namespace
