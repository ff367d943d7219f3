// A temporary device root with the preferences folder, and helpers to put exact
// bytes in the preferences file and read them back.
#pragma once

#include <Foundation/Foundation.h>
#include <Foundation/NSFileManager.h>
#include <TintPreferences.h>

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tintfixture {

inline std::string plist(const std::string& dictionaryBody) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>" +
           dictionaryBody + "</dict>\n</plist>\n";
}

inline std::string openEntry(const std::string& value) {
    return "<key>open</key><string>" + value + "</string>";
}

inline std::string colorEntry(const std::vector<std::string>& elements) {
    std::string body = "<key>saveColor</key><array>";
    for (const auto& element : elements) {
        body += "<string>" + element + "</string>";
    }
    return body + "</array>";
}

inline const std::vector<std::string> fiveElements = {"UIDeviceRGBColorSpace", "0.2", "0.4", "0.6",
                                                      "1"};
inline const std::vector<std::string> threeElements = {"UIDeviceWhiteColorSpace", "1", "1"};

class PreferencesFile : public ::testing::Test {
  protected:
    void SetUp() override {
        NSFileManager::setDeviceRoot(root.path().string());
        ASSERT_TRUE(NSFileManager::defaultManager()->createStandardDeviceFolders());
    }
    std::filesystem::path hostFile() const { return NSFileManager::hostPath(TintPreferencesPath); }
    void put(const std::string& contents) const { testsupport::writeFile(hostFile(), contents); }
    std::string bytes() const { return testsupport::readFile(hostFile()); }
    std::shared_ptr<NSDictionary> dictionary() const {
        return NSDictionary::dictionaryWithContentsOfFile(TintPreferencesPath);
    }
    std::vector<std::string> storedElements() const {
        std::vector<std::string> elements;
        if (auto array = ns_cast<NSArray>(dictionary()->objectForKey("saveColor"))) {
            for (const auto& item : *array) {
                elements.push_back(ns_cast<NSString>(item)->utf8());
            }
        }
        return elements;
    }
    std::size_t temporaryCount() const {
        std::size_t count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(hostFile().parent_path())) {
            count += entry.path().filename().string().find(".tmp-") != std::string::npos;
        }
        return count;
    }

    testsupport::TemporaryDirectory root;
};

// Red, green, blue and alpha of a colour, or nothing for none.
inline std::vector<float> rgba(const UIColorRef& color) {
    if (!color) {
        return {};
    }
    const CGFloat* c = CGColorGetComponents(color->CGColor());
    EXPECT_EQ(CGColorSpaceGetModel(CGColorGetColorSpace(color->CGColor())), kCGColorSpaceModelRGB);
    return {c[0], c[1], c[2], c[3]};
}

} // namespace tintfixture
