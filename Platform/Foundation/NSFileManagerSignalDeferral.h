// What keeps an atomic write whole when the program is asked to end in the middle of
// it: while one of these lives, SIGTERM, SIGINT and SIGHUP wait. When the last one
// goes, the dispositions the process had are put back and each signal that came in
// the meantime is raised again, so it means what it always meant (the default ends
// the program, and its status names the signal; a program's own handler runs; an
// ignored signal stays ignored). A write holds one from the moment its temporary
// exists until the temporary is renamed into place or removed: the program never ends
// with a temporary left behind. SIGKILL cannot wait; the next write removes what it
// leaves.
#pragma once

class NSFileManagerSignalDeferral {
  public:
    NSFileManagerSignalDeferral();
    ~NSFileManagerSignalDeferral();
    NSFileManagerSignalDeferral(const NSFileManagerSignalDeferral&) = delete;
    NSFileManagerSignalDeferral& operator=(const NSFileManagerSignalDeferral&) = delete;
};
