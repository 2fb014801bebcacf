// runtime/scoped.h: owners that release a descriptor, a stream or any clean-up step however
// the scope ends (return or a Panic's unwinding), so no caller catches to clean up.
#pragma once

#include <cstdio>
#include <unistd.h>
#include <utility>

// An open file descriptor, closed when the owner goes; -1 owns nothing.
class OwnedFd {
public:
    OwnedFd() = default;
    explicit OwnedFd(int fd) : fd_(fd) {}
    ~OwnedFd() { close(); }
    OwnedFd(OwnedFd&& other) noexcept : fd_(other.release()) {}
    OwnedFd& operator=(OwnedFd&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    OwnedFd(const OwnedFd&) = delete;
    OwnedFd& operator=(const OwnedFd&) = delete;

    int get() const { return fd_; }
    bool ok() const { return fd_ >= 0; }
    // Gives the descriptor up without closing it.
    int release() { return std::exchange(fd_, -1); }
    void reset(int fd = -1) {
        close();
        fd_ = fd;
    }
    // Closes now, for a caller that needs close's result (a write's last error shows there).
    int close() {
        int fd = release();
        return fd >= 0 ? ::close(fd) : 0;
    }

private:
    int fd_ = -1;
};

// An open stream, closed when the owner goes; null owns nothing.
class OwnedFile {
public:
    OwnedFile() = default;
    explicit OwnedFile(FILE* f) : f_(f) {}
    ~OwnedFile() { close(); }
    OwnedFile(OwnedFile&& other) noexcept : f_(other.release()) {}
    OwnedFile& operator=(OwnedFile&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    OwnedFile(const OwnedFile&) = delete;
    OwnedFile& operator=(const OwnedFile&) = delete;

    FILE* get() const { return f_; }
    bool ok() const { return f_ != nullptr; }
    FILE* release() { return std::exchange(f_, nullptr); }
    void reset(FILE* f = nullptr) {
        close();
        f_ = f;
    }
    // Closes now; fclose's result (0 when everything buffered reached the file).
    int close() {
        FILE* f = release();
        return f ? fclose(f) : 0;
    }

private:
    FILE* f_ = nullptr;
};

// Runs a clean-up step when the scope ends, unless dismissed first.
template <class Step>
class ScopeGuard {
public:
    explicit ScopeGuard(Step step) : step_(std::move(step)) {}
    ~ScopeGuard() {
        if (armed_) step_();
    }
    ScopeGuard(const ScopeGuard&) = delete;
    ScopeGuard& operator=(const ScopeGuard&) = delete;
    void dismiss() { armed_ = false; }

private:
    Step step_;
    bool armed_ = true;
};
