#include <Host/Start/HostInstallation.h>

#include <system_error>

HostInstallation HostInstallation::forProgram(const std::filesystem::path& program) {
    std::filesystem::path top = program.parent_path().parent_path();
    std::error_code error;
    if (std::filesystem::is_directory(top / "share" / "prismkey", error)) {
        return {top / "share" / "prismkey" / "Resources",
                top / "lib" / "prismkey" / "DynamicLibraries", top / "share" / "icons"};
    }
    return {top / "Resources", top / "DynamicLibraries", top / "icons"};
}

HostInstallation HostInstallation::current() {
    std::error_code error;
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    // Without /proc the program's folder is unknown: nothing is taken from anywhere
    // else (the working folder is anybody's), so there are no images and no plug-ins
    // to install.
    return error ? HostInstallation{} : forProgram(program);
}
