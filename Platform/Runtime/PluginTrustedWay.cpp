#include <PluginTrustedWay.h>

#include <Foundation/NSString.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace {

bool ownedByRootOrUser(const struct stat& status) {
    return status.st_uid == 0 || status.st_uid == ::geteuid();
}

bool othersMayWrite(const struct stat& status) {
    return (status.st_mode & (S_IWGRP | S_IWOTH)) != 0;
}

// The names of `path` in walking order, the first one last; "" and "." name nothing.
void pushNames(std::vector<std::string>& pending, const std::string& path) {
    std::vector<std::string> names;
    for (std::size_t start = 0; start <= path.size();) {
        std::size_t end = std::min(path.find('/', start), path.size());
        std::string name = path.substr(start, end - start);
        if (!name.empty() && name != ".") {
            names.push_back(std::move(name));
        }
        start = end + 1;
    }
    pending.insert(pending.end(), names.rbegin(), names.rend());
}

std::string joined(const std::string& folder, const std::string& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

} // namespace

std::string PluginOwnerProblem(const struct stat& status) {
    if (ownedByRootOrUser(status)) {
        return {};
    }
    return " is owned by user " + std::to_string(status.st_uid) + ", not by root or by user " +
           std::to_string(::geteuid());
}

std::string PluginWritersProblem(const struct stat& status) {
    if ((status.st_mode & S_IWOTH) != 0) {
        return " is writable by everyone";
    }
    if ((status.st_mode & S_IWGRP) != 0) {
        return " is writable by its group";
    }
    return {};
}

PluginTrustedWay::PluginTrustedWay(std::string path, Missing missing)
    : path_(std::move(path)), missing_(missing) {}

PluginTrustedWay::~PluginTrustedWay() {
    closeFolders(0);
    if (end_.fd >= 0) {
        ::close(end_.fd);
    }
}

void PluginTrustedWay::closeFolders(std::size_t keep) {
    while (folders_.size() > keep) {
        ::close(folders_.back().fd);
        folders_.pop_back();
    }
}

std::string PluginTrustedWay::problemAt(const std::string& where, const std::string& reason,
                                        bool othersMayChange) const {
    refusal_ = {where, reason, othersMayChange};
    if (where == path_) {
        return ns_quotedText(path_) + reason;
    }
    return ns_quotedText(path_) + " leads through " + ns_quotedText(where) + ", which" + reason;
}

std::string PluginTrustedWay::problemOfEnd(const std::string& reason) const {
    return problemAt(end_.path, reason, true);
}

// Said of the whole path, whatever entry the walk stood at.
std::string PluginTrustedWay::problemOfPath(const std::string& reason) const {
    refusal_ = {path_, reason, false};
    return ns_quotedText(path_) + reason;
}

std::string PluginTrustedWay::systemProblem(const std::string& where, int code,
                                            const char* failed) const {
    refusal_ = {where, failed + std::string(std::strerror(code)), false};
    return "cannot open " + ns_quotedText(path_) + ": " + std::strerror(code);
}

void PluginTrustedWay::restartAtRoot() {
    closeFolders(0);
    Entry root;
    root.fd = ::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
    root.path = "/";
    if (root.fd >= 0 && ::fstat(root.fd, &root.status) == 0) {
        folders_.push_back(std::move(root));
    } else if (root.fd >= 0) {
        ::close(root.fd);
    }
}

bool PluginTrustedWay::walk(std::string& problem, bool& missing) {
    missing = false;
    if (path_.empty() || path_.front() != '/') {
        problem = problemOfPath(" is not an absolute path");
        return false;
    }
    pushNames(pending_, path_);
    restartAtRoot();
    if (folders_.empty()) {
        problem = systemProblem("/", errno);
        return false;
    }
    const std::string rootReason =
        PluginOwnerProblem(folders_[0].status) + PluginWritersProblem(folders_[0].status);
    if (!rootReason.empty()) {
        problem = problemAt("/", rootReason, true);
        return false;
    }
    while (!pending_.empty()) {
        std::string name = std::move(pending_.back());
        pending_.pop_back();
        if (name == "..") {
            closeFolders(std::max<std::size_t>(folders_.size() - 1, 1));
        } else if (!enter(name, problem, missing)) {
            return false;
        }
    }
    if (end_.fd < 0) { // the way ended on a folder: "/", or a last ".."
        end_.fd = ::dup(folders_.back().fd);
        end_.path = folders_.back().path;
        end_.status = folders_.back().status;
    }
    return true;
}

// One name in the folder the walk stands in: a link is followed, a folder entered when
// more names follow, anything else is the last entry.
bool PluginTrustedWay::enter(const std::string& name, std::string& problem, bool& missing) {
    const Entry& here = folders_.back();
    Entry entry;
    entry.path = joined(here.path, name);
    entry.fd = openOrMake(name, problem, missing);
    if (entry.fd < 0) {
        return false;
    }
    if (::fstat(entry.fd, &entry.status) != 0) {
        problem = systemProblem(entry.path, errno);
        ::close(entry.fd);
        return false;
    }
    // Others may write this folder, and only its sticky bit keeps them from renaming
    // what they do not own.
    std::string owner = PluginOwnerProblem(entry.status);
    if (othersMayWrite(here.status) && !owner.empty()) {
        ::close(entry.fd);
        problem = problemAt(entry.path, owner, true);
        return false;
    }
    if (S_ISLNK(entry.status.st_mode)) {
        return followLink(entry, problem);
    }
    if (pending_.empty()) {
        end_ = std::move(entry);
        return true;
    }
    std::string reason = S_ISDIR(entry.status.st_mode) ? owner : std::string();
    if (reason.empty() && S_ISDIR(entry.status.st_mode) && (entry.status.st_mode & S_ISVTX) == 0) {
        reason = PluginWritersProblem(entry.status);
    }
    if (!S_ISDIR(entry.status.st_mode) || !reason.empty()) {
        ::close(entry.fd);
        if (S_ISDIR(entry.status.st_mode)) {
            problem = problemAt(entry.path, reason, true);
        } else {
            problem = systemProblem(entry.path, ENOTDIR);
            refusal_.reason = " is not a folder";
        }
        return false;
    }
    folders_.push_back(std::move(entry));
    return true;
}

// `name` in the folder the walk stands in, opened without following it; when it is
// missing and the walk makes folders, made there first. -1 with the problem otherwise.
int PluginTrustedWay::openOrMake(const std::string& name, std::string& problem, bool& missing) {
    const Entry& here = folders_.back();
    int fd = ::openat(here.fd, name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT && missing_ == Missing::MakeFolder) {
        if (::mkdirat(here.fd, name.c_str(), 0755) != 0 && errno != EEXIST) {
            problem = systemProblem(joined(here.path, name), errno, " cannot be made: ");
            return -1;
        }
        fd = ::openat(here.fd, name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    }
    if (fd < 0) {
        missing = errno == ENOENT;
        problem = systemProblem(joined(here.path, name), errno);
    }
    return fd;
}

// The link's target is walked from the link's folder, or from "/" when absolute.
bool PluginTrustedWay::followLink(Entry& link, std::string& problem) {
    char target[PATH_MAX];
    ssize_t length = ::readlinkat(link.fd, "", target, sizeof target);
    int code = errno;
    ::close(link.fd);
    if (length < 0 || static_cast<std::size_t>(length) >= sizeof target) {
        problem = systemProblem(link.path, length < 0 ? code : ENAMETOOLONG);
        return false;
    }
    if (++links_ > maximumLinks) {
        problem =
            problemOfPath(" passes through more than " + std::to_string(maximumLinks) + " links");
        return false;
    }
    std::string next(target, static_cast<std::size_t>(length));
    if (!next.empty() && next.front() == '/') {
        restartAtRoot();
        if (folders_.empty()) {
            problem = systemProblem("/", errno);
            return false;
        }
    }
    pushNames(pending_, next);
    return true;
}

int PluginTrustedWay::reopen(int flags) const {
    if (S_ISDIR(end_.status.st_mode)) {
        return ::openat(end_.fd, ".", flags | O_DIRECTORY | O_CLOEXEC);
    }
    // By name in a folder nobody else may change; the same file, or the caller's own
    // change in between, which is refused all the same.
    const std::string name = end_.path.substr(end_.path.rfind('/') + 1);
    int fd = ::openat(folders_.back().fd, name.c_str(), flags | O_NOFOLLOW | O_CLOEXEC);
    struct stat status {};
    if (fd >= 0 && (::fstat(fd, &status) != 0 || status.st_dev != end_.status.st_dev ||
                    status.st_ino != end_.status.st_ino)) {
        ::close(fd);
        errno = ESTALE;
        return -1;
    }
    return fd;
}
