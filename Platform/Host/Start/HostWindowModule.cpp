#include <Host/Start/HostWindowModule.h>

#include <dlfcn.h>

#include <filesystem>

namespace {

// The folder this library was loaded from.
std::filesystem::path hostLibraryFolder() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&HostLoadWindowModule), &info) == 0 || !info.dli_fname) {
        return {};
    }
    return std::filesystem::path(info.dli_fname).parent_path();
}

} // namespace

const HostWindowModule* HostLoadWindowModule(std::string& error) {
    static const HostWindowModule* module = nullptr;
    if (module) {
        return module;
    }
    std::filesystem::path library = hostLibraryFolder() / "libPlatformHostWindow.so";
    void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        error =
            "cannot load the window backend (" + std::string(why ? why : library.string()) + ")";
        return nullptr;
    }
    // Kept loaded for the life of the process.
    auto table =
        reinterpret_cast<const HostWindowModule* (*)()>(dlsym(handle, "HostWindowModuleTable"));
    if (!table) {
        error = "cannot load the window backend (" + library.string() + " has no table)";
        return nullptr;
    }
    module = table();
    return module;
}
