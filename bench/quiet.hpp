// Standard output sent to /dev/null while a Quiet lives: the operators print
// their progress and counts, which would bury the benchmark's own report.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

class Quiet {
public:
    Quiet() : saved_(::dup(1)) {
        std::fflush(stdout);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::close(null);
    }
    ~Quiet() {
        std::fflush(stdout);
        ::dup2(saved_, 1);
        ::close(saved_);
    }
    Quiet(const Quiet&) = delete;
    Quiet& operator=(const Quiet&) = delete;

private:
    int saved_;
};
