// A plug-in for the loader's tests. Its initialiser registers a class named after the
// file it was loaded from ("Loaded_<name>"), and appends the name to the class
// "LoadOrder"'s list, so that tests see which copies ran and in what order.
#include <objc/runtime.h>

#include <dlfcn.h>
#include <filesystem>
#include <string>

namespace {

void marker() {}

__attribute__((constructor)) void initialise() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&marker), &info) == 0 || info.dli_fname == nullptr) {
        return;
    }
    // The loader maps the descriptor it checked: the file is what that names.
    std::error_code error;
    std::filesystem::path file = std::filesystem::read_symlink(info.dli_fname, error);
    std::string name = (error ? std::filesystem::path(info.dli_fname) : file).stem().string();
    Class cls = objc_allocateClassPair(nullptr, ("Loaded_" + name).c_str());
    objc_registerClassPair(cls);
    using Append = void (*)(const char*);
    if (auto append = reinterpret_cast<Append>(dlsym(RTLD_DEFAULT, "runtimeTestsRecordLoad"))) {
        append(name.c_str());
    }
}

} // namespace
