// The way from "/" to a file the loader may use, walked one name at a time without
// letting the system follow anything: each link is read and its target walked in turn
// (at most `maximumLinks` of them), so that every folder the way passes, a link's own
// folder and its target's alike, is checked. A folder passes when it is owned by root
// or by the user running the process and nobody else may write it; a folder others
// may write but whose sticky bit keeps them from renaming what they do not own passes
// for what in it is owned by root or that user. The last entry is opened but not
// judged: its kind and owner are for the caller to check. A walk may make the folders
// missing on its way (a device root being prepared): each is made in the folder
// checked before it and judged like any other, so that nothing is ever made where
// another user could have put something first.
#pragma once

#include <string>
#include <sys/stat.h>
#include <vector>

class PluginTrustedWay {
  public:
    // The kernel's own limit on links followed in one lookup.
    static constexpr int maximumLinks = 40;

    // What the walk does with a name on the way (or at its end) that is missing:
    // stops there (`missing` set), or makes a folder of it (mode 0755) and goes on.
    enum class Missing { Stop, MakeFolder };

    // Where a walk stopped and why, for a caller that words its own message: the path
    // of the entry, and what is said of it (" is writable by everyone", " cannot be
    // opened: Permission denied"). `othersMayChange` when the entry is refused because
    // someone else could change it (its owner or its write bits).
    struct Refusal {
        std::string where;
        std::string reason;
        bool othersMayChange = false;
    };

    explicit PluginTrustedWay(std::string path, Missing missing = Missing::Stop);
    PluginTrustedWay(const PluginTrustedWay&) = delete;
    PluginTrustedWay& operator=(const PluginTrustedWay&) = delete;
    ~PluginTrustedWay();

    // Walks to the last entry. False with the reason in `problem` (naming the path,
    // quoted) when a name on the way is missing (`missing` set), is not a folder, or
    // a folder or link on the way does not pass.
    bool walk(std::string& problem, bool& missing);

    // Why the walk failed, once it did.
    const Refusal& refusal() const { return refusal_; }
    // The last entry, not followed, once the walk passed.
    const struct stat& status() const { return end_.status; }
    // The last entry opened again with `flags` (O_RDONLY and the like), the same file
    // the walk reached or -1 with errno set.
    int reopen(int flags) const;
    // `reason` (" is writable by everyone") said of the last entry, naming the path.
    std::string problemOfEnd(const std::string& reason) const;

  private:
    struct Entry {
        int fd = -1; // opened with O_PATH
        std::string path;
        struct stat status {};
    };

    bool enter(const std::string& name, std::string& problem, bool& missing);
    int openOrMake(const std::string& name, std::string& problem, bool& missing);
    bool followLink(Entry& link, std::string& problem);
    void restartAtRoot();
    void closeFolders(std::size_t keep);
    std::string problemAt(const std::string& where, const std::string& reason,
                          bool othersMayChange) const;
    std::string systemProblem(const std::string& where, int code,
                              const char* failed = " cannot be opened: ") const;
    std::string problemOfPath(const std::string& reason) const;

    std::string path_;
    Missing missing_;
    mutable Refusal refusal_;
    std::vector<std::string> pending_; // the names still to walk, the next one last
    std::vector<Entry> folders_;       // from "/" to where the walk stands
    Entry end_;
    int links_ = 0;
};

// Why an entry so owned cannot be trusted (" is owned by user 65534, not by root or
// by user 1000"), or why one so writable cannot (" is writable by its group"); empty
// when it can.
std::string PluginOwnerProblem(const struct stat& status);
std::string PluginWritersProblem(const struct stat& status);
