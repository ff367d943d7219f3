#include <ELFSharedObjectCheck.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <elf.h>
#include <iterator>
#include <unistd.h>

namespace {

// The machine this build runs on: a library built for another cannot be mapped.
#if defined(__x86_64__)
constexpr Elf64_Half hostMachine = EM_X86_64;
#elif defined(__aarch64__)
constexpr Elf64_Half hostMachine = EM_AARCH64;
#else
#error "name this machine's ELF e_machine"
#endif
static_assert(sizeof(void*) == 8, "the loader reads 64-bit ELF headers");
constexpr unsigned char hostByteOrder =
    __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? ELFDATA2LSB : ELFDATA2MSB;

// Exactly `length` bytes at `offset`, or false (a short read is a file cut short).
bool readAt(int fd, void* into, std::size_t length, std::uint64_t offset) {
    auto* bytes = static_cast<char*>(into);
    while (length > 0) {
        ssize_t n = ::pread(fd, bytes, length, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        bytes += n;
        length -= static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
    return true;
}

// Whether [offset, offset + length) lies inside a file of `size` bytes, without overflow.
bool inside(std::uint64_t offset, std::uint64_t length, std::uint64_t size) {
    return offset <= size && length <= size - offset;
}

std::string headerProblem(const Elf64_Ehdr& header) {
    if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0) {
        return "is not an ELF file";
    }
    if (header.e_ident[EI_CLASS] != ELFCLASS64) {
        return "is not a 64-bit ELF file";
    }
    if (header.e_ident[EI_DATA] != hostByteOrder) {
        return "has the other byte order";
    }
    if (header.e_type != ET_DYN) {
        return "is not a shared object (ELF type " + std::to_string(header.e_type) + ")";
    }
    if (header.e_machine != hostMachine) {
        return "is built for another machine (ELF machine " + std::to_string(header.e_machine) +
               ", this one is " + std::to_string(hostMachine) + ")";
    }
    if (header.e_phentsize != sizeof(Elf64_Phdr) || header.e_phnum == 0) {
        return "has no program headers the loader can read";
    }
    return {};
}

// Reads the program headers a few at a time, so that a crafted count costs no memory.
std::string segmentProblem(int fd, const Elf64_Ehdr& header, std::uint64_t size) {
    Elf64_Phdr batch[32];
    for (unsigned first = 0; first < header.e_phnum; first += std::size(batch)) {
        unsigned count = std::min<unsigned>(std::size(batch), header.e_phnum - first);
        if (!readAt(fd, batch, count * sizeof(Elf64_Phdr),
                    header.e_phoff + first * sizeof(Elf64_Phdr))) {
            return "cannot be read";
        }
        for (unsigned i = 0; i < count; ++i) {
            if (batch[i].p_type == PT_LOAD && !inside(batch[i].p_offset, batch[i].p_filesz, size)) {
                return "is cut short inside a loadable segment (it needs " +
                       std::to_string(batch[i].p_offset + batch[i].p_filesz) + " bytes, has " +
                       std::to_string(size) + ")";
            }
        }
    }
    return {};
}

} // namespace

std::string ELFSharedObjectProblem(int fd, std::uint64_t size) {
    Elf64_Ehdr header{};
    const std::size_t have = static_cast<std::size_t>(std::min<std::uint64_t>(size, sizeof header));
    if (!readAt(fd, &header, have, 0)) {
        return "cannot be read";
    }
    if (have < SELFMAG || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0) {
        return "is not an ELF file";
    }
    if (have < sizeof header) {
        return "is cut short inside its ELF header";
    }
    if (std::string problem = headerProblem(header); !problem.empty()) {
        return problem;
    }
    if (!inside(header.e_phoff, std::uint64_t{header.e_phnum} * sizeof(Elf64_Phdr), size)) {
        return "is cut short inside its program headers";
    }
    return segmentProblem(fd, header, size);
}
