// A bad command line, said in one line.
#pragma once

#include <stdexcept>

class HostUsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};
