// The loader's check of a library before it is mapped, on crafted headers.
#include <ELFSharedObjectCheck.h>

#include <gtest/gtest.h>

#include <cstring>
#include <elf.h>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

#if defined(__aarch64__)
constexpr Elf64_Half thisMachine = EM_AARCH64, otherMachine = EM_X86_64;
#else
constexpr Elf64_Half thisMachine = EM_X86_64, otherMachine = EM_AARCH64;
#endif

// A shared object for this machine: the ELF header, two program headers, and a
// loadable segment that ends exactly at the end of the file.
struct Image {
    Elf64_Ehdr header{};
    Elf64_Phdr segments[2]{};
    std::uint64_t size = 4096;

    Image() {
        std::memcpy(header.e_ident, ELFMAG, SELFMAG);
        header.e_ident[EI_CLASS] = ELFCLASS64;
        header.e_ident[EI_DATA] = ELFDATA2LSB;
        header.e_ident[EI_VERSION] = EV_CURRENT;
        header.e_type = ET_DYN;
        header.e_machine = thisMachine;
        header.e_phoff = sizeof(Elf64_Ehdr);
        header.e_phentsize = sizeof(Elf64_Phdr);
        header.e_phnum = 2;
        segments[0] = {PT_LOAD, PF_R, 0, 0, 0, 1024, 1024, 4096};
        segments[1] = {PT_LOAD, PF_R | PF_W, 1024, 4096 + 1024, 0, 3072, 8192, 4096};
    }
};

std::string problem(const Image& image, std::uint64_t bytes) {
    std::string file(image.size, '\0');
    std::memcpy(file.data(), &image.header, sizeof image.header);
    std::memcpy(file.data() + sizeof image.header, image.segments, sizeof image.segments);
    file.resize(bytes);
    int fd = memfd_create("elf-check", MFD_CLOEXEC);
    EXPECT_EQ(write(fd, file.data(), file.size()), static_cast<ssize_t>(file.size()));
    std::string result = ELFSharedObjectProblem(fd, file.size());
    close(fd);
    return result;
}

TEST(ELFSharedObjectCheck, RefusesWhatCannotBeMappedWhole) {
    const struct {
        const char* name;
        void (*craft)(Image&);
        std::uint64_t bytes; // the file cut to this length; 0: whole
        const char* says;    // "" for no problem
    } rows[] = {
        {"Whole", [](Image&) {}, 0, ""},
        {"NotElf", [](Image& i) { i.header.e_ident[1] = 'X'; }, 0, "is not an ELF file"},
        {"ThreeBytes", [](Image&) {}, 3, "is not an ELF file"},
        {"CutInTheHeader", [](Image&) {}, 40, "inside its ELF header"},
        {"WrongClass", [](Image& i) { i.header.e_ident[EI_CLASS] = ELFCLASS32; }, 0, "64-bit"},
        {"WrongByteOrder", [](Image& i) { i.header.e_ident[EI_DATA] = ELFDATA2MSB; }, 0,
         "byte order"},
        {"WrongMachine", [](Image& i) { i.header.e_machine = otherMachine; }, 0, "another machine"},
        {"Executable", [](Image& i) { i.header.e_type = ET_EXEC; }, 0, "not a shared object"},
        {"NoProgramHeaders", [](Image& i) { i.header.e_phnum = 0; }, 0, "no program headers"},
        {"CutInTheProgramHeaders", [](Image&) {}, 100, "inside its program headers"},
        {"ProgramHeadersPastTheEnd", [](Image& i) { i.header.e_phoff = 4090; }, 0,
         "inside its program headers"},
        {"CutInASegment", [](Image&) {}, 4095, "inside a loadable segment"},
        {"SegmentPastTheEnd", [](Image& i) { i.segments[1].p_filesz = 3073; }, 0,
         "inside a loadable segment"},
        {"SegmentOffsetWraps", [](Image& i) { i.segments[1].p_offset = ~std::uint64_t{0}; }, 0,
         "inside a loadable segment"},
        {"OtherSegmentsAreNotMapped", [](Image& i) { i.segments[1].p_type = PT_NOTE; }, 2048, ""},
    };
    for (const auto& row : rows) {
        Image image;
        row.craft(image);
        std::string said = problem(image, row.bytes == 0 ? image.size : row.bytes);
        if (std::string(row.says).empty()) {
            EXPECT_EQ(said, "") << row.name;
        } else {
            EXPECT_NE(said.find(row.says), std::string::npos) << row.name << ": " << said;
        }
    }
}

} // namespace
