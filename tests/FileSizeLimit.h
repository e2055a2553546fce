// A fault the kernel injects: while a FileSizeLimit lives, a write that would make a file larger
// than its limit fails (EFBIG) as a write to a full disk does.
#pragma once

#include <csignal>

#include <sys/resource.h>

class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t limit) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        oldSignal_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lower = saved_;
        lower.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &lower);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, oldSignal_);
    }

  private:
    rlimit saved_{};
    void (*oldSignal_)(int) = SIG_DFL;
};
