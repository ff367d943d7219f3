// prismkey-contact-sheet: screenshots in order on one PNG, each titled under it.
#include "ContactSheet.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kUsage =
    "usage: prismkey-contact-sheet OUTPUT.png HEADING IMAGE TITLE [IMAGE TITLE]...\n"
    "Writes OUTPUT.png: HEADING above the PNG images in order, four a row, each with\n"
    "its TITLE under it.\n";

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc < 5 || (argc - 3) % 2 != 0) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::vector<contactsheet::Entry> entries;
    for (int i = 3; i + 1 < argc; i += 2) {
        entries.push_back({argv[i], argv[i + 1]});
    }
    std::string error;
    if (!contactsheet::writeContactSheet(argv[2], entries, argv[1], error)) {
        std::fprintf(stderr, "prismkey-contact-sheet: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
