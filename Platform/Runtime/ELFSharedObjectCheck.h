// Whether a file is a whole shared object for this machine, checked before it is mapped.
// The dynamic linker maps each loadable segment straight from the file: a segment that
// runs past the end (a copy cut short) maps pages with nothing behind them, and the
// first touch of one kills the process with SIGBUS. So the headers are read with
// bounded reads and every loadable segment is checked against the file's size first.
#pragma once

#include <cstdint>
#include <string>

// Empty when the open file `fd` of `size` bytes is an ELF shared object of this
// machine's class, byte order and architecture, with its program headers and every
// loadable segment inside the file; otherwise why not ("is cut short inside its
// program headers"), to follow the file's name.
std::string ELFSharedObjectProblem(int fd, std::uint64_t size);
