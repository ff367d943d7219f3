// The environment that a window's libraries read as they start (SDL takes its window
// class and the session bus's address from it): set once, before any thread of the
// process runs (a change beside a thread's read of the environment is not safe), and
// kept from the programs the process starts, which get the environment it was
// started with.
#pragma once

#include <string>
#include <vector>

// Sets `name` for this process's libraries, remembering what it was.
void HostSetEnvironmentForLibraries(const std::string& name, const std::string& value);
// The environment as the process was started with it ("NAME=value" each), for a child.
std::vector<std::string> HostChildEnvironment();
