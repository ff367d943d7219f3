#include <KeyboardQuery.h>
#include <UIKBRenderFactory.h>
#include <UIPeripheralHostView.h>
#include <UITextInputTraits.h>

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(KeyboardQuery, JsonLineOfTheDesign) {
    KeyboardQueryResult result;
    EXPECT_EQ(keyboardQueryJSON(result),
              "{\"plugins\":[],\"keyboardAppearance\":0,\"background\":null,\"layoutPasses\":0}");
    result.plugins = {"Prismkey", "Odd \"name\"\\"};
    result.keyboardAppearance = 1;
    result.background = UIColor::colorWithRed(0.2f, 0.4f, 0.6f, 1);
    result.layoutPasses = 1;
    EXPECT_EQ(keyboardQueryJSON(result),
              "{\"plugins\":[\"Prismkey\",\"Odd \\\"name\\\"\\\\\"],\"keyboardAppearance\":1,"
              "\"background\":[0.2,0.4,0.6,1],\"layoutPasses\":1}");
    result.plugins.clear();
    result.background = UIColor::colorWithWhite(0.5f, 0.25f);
    EXPECT_NE(keyboardQueryJSON(result).find("\"background\":[0.5,0.5,0.5,0.25]"),
              std::string::npos);
    result.background = UIColor::colorWithRed(INFINITY, 0, 2.5f, 1);
    EXPECT_NE(keyboardQueryJSON(result).find("\"background\":[null,0,2.5,1]"), std::string::npos);
}

TEST(KeyboardClasses, OwnImplementationsAnswerWithoutPlugins) {
    KeyboardQueryResult result = runKeyboardQuery({});
    EXPECT_EQ(result.layoutPasses, 1);
    EXPECT_EQ(result.keyboardAppearance, UITextInputTraits::appearanceDefault);
    EXPECT_FALSE(result.background);

    UITextInputTraits traits(UITextInputTraits::appearanceLight);
    EXPECT_EQ(traits.keyboardAppearance(), UITextInputTraits::appearanceLight);
    UIPeripheralHostView hostView;
    EXPECT_EQ(hostView.inputBackdropView(), hostView.systemInputBackdropView());
    EXPECT_NE(hostView.inputBackdropView(), nullptr);
    UIKBRenderFactory factory;
    auto light = NSString::string("light-keyplane");
    auto dark = NSString::string("dark-keyplane");
    UIKBRenderTraits* lightTraits = factory.backgroundTraitsForKeyplane(light.get());
    ASSERT_NE(lightTraits, nullptr);
    EXPECT_EQ(factory.backgroundTraitsForKeyplane(light.get()), lightTraits) << "kept per keyplane";
    EXPECT_NE(factory.backgroundTraitsForKeyplane(dark.get()), lightTraits);
}

} // namespace
