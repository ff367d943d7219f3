// The preferences file: whether the keyboard tint is on, and the colour to tint with.
// The settings application writes it (loadForScreen, toggleOpen, storeColor); the
// keyboard plug-in reads it (isOpen, storedTint) on every layout pass. Every operation
// goes to the file afresh, and every write replaces the file atomically, so readers in
// other processes see the old file or the new one. The one thing kept in memory is
// the readers' answer for the last bytes they parsed: the same bytes read again are
// answered without parsing them again.
#pragma once

#include <Foundation/NSString.h>
#include <UIKit/UIColor.h>

#include <string>
#include <string_view>

inline constexpr const char* TintPreferencesIdentifier = "io.prismkey.tint";
inline constexpr const char* TintPreferencesPath =
    "/var/mobile/Library/Preferences/io.prismkey.tint.plist";
static_assert(std::string_view(TintPreferencesPath) ==
                      "/var/mobile/Library/Preferences/io.prismkey.tint.plist" &&
                  std::string_view(TintPreferencesPath).substr(32, 16) == TintPreferencesIdentifier,
              "the path is the preferences folder, the identifier and \".plist\"");

namespace TintPreferences {

enum class WriteFailure {
    None,
    CouldNotRead,  // the file is missing or not a dictionary property list: nothing written
    CouldNotWrite, // the new file could not be put in place: the old one is untouched
    // The file as it would be written is past what the readers read, or would change a
    // value nobody asked to change: nothing written, the old file is untouched.
    WouldNotReadBack,
};

struct WriteResult {
    WriteFailure failure = WriteFailure::None;
    std::string reason; // the file and what went wrong, for the log
    bool succeeded() const { return failure == WriteFailure::None; }
};

struct ScreenPreferences {
    UIColorRef storedColor; // as storedTint reads it
    NSStringRef openText;   // none when "open" is missing or not text
    bool created = false;   // the file was missing and has been created with "open" = "off"
    WriteResult creation;   // why creating the missing file failed
};

enum class TintState { Off, On };

struct ToggleResult {
    TintState state = TintState::Off; // the state that readers now see
    WriteResult write;
};

// The preferences file as the host names it, for the user to find.
std::string hostPath();

// Reads the file for the settings screen; creates it with the tint off when missing.
ScreenPreferences loadForScreen();
// Flips "open" between "on" and "off". When the file cannot be read or written
// nothing changes, and the state reported is the one readers see: off for a file
// that cannot be read.
ToggleResult toggleOpen();
// Stores the colour's text form as "saveColor". A grey is stored in its RGB form
// (the white level as red, green and blue), so that readers take it as a colour.
WriteResult storeColor(const UIColorRef& color);

// True exactly when the file exists and "open" is the string "on". Without a file
// nothing is read.
bool isOpen();
// The colour of "saveColor" when it holds exactly five elements whose elements 1 to 4
// are strings (read as the number they begin with) or numbers; none otherwise.
UIColorRef storedTint();

} // namespace TintPreferences
