// bench/bench_window_wait.cc: starts a program and reports how long it takes until its window
// named NAME is mapped, until it then goes idle (no CPU used for 300 ms), and its peak memory.
// Usage: bench_window_wait NAME PROGRAM [ARGS...]; prints "MAP_MS IDLE_MS PEAK_MB".
#include <X11/Xlib.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/select.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

static double nowMs() {
    struct timeval tv;
    gettimeofday(&tv, nullptr);
    return tv.tv_sec * 1000.0 + tv.tv_usec / 1000.0;
}

static long cpuTicks(pid_t pid) {
    char path[64];
    snprintf(path, sizeof path, "/proc/%d/stat", (int)pid);
    FILE* f = fopen(path, "r");
    if (!f) return -1;
    char buf[1024];
    size_t n = fread(buf, 1, sizeof buf - 1, f);
    fclose(f);
    buf[n] = 0;
    const char* p = strrchr(buf, ')'); // the command name may hold blanks
    if (!p) return -1;
    long utime = 0, stime = 0;
    // Fields after the name: state ppid pgrp session tty tpgid flags minflt cminflt majflt
    // cmajflt utime stime.
    sscanf(p + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %ld %ld", &utime, &stime);
    return utime + stime;
}

static long peakKb(pid_t pid) {
    char path[64];
    snprintf(path, sizeof path, "/proc/%d/status", (int)pid);
    FILE* f = fopen(path, "r");
    if (!f) return -1;
    char line[256];
    long kb = -1;
    while (fgets(line, sizeof line, f))
        if (!strncmp(line, "VmHWM:", 6)) kb = atol(line + 6);
    fclose(f);
    return kb;
}

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: bench_window_wait NAME PROGRAM [ARGS...]\n");
        return 2;
    }
    const char* want = argv[1];
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        fprintf(stderr, "bench_window_wait: no display\n");
        return 2;
    }
    Window root = DefaultRootWindow(dpy);
    XSelectInput(dpy, root, SubstructureNotifyMask);
    XSync(dpy, False);
    double t0 = nowMs();
    pid_t pid = fork();
    if (pid == 0) {
        int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        execvp(argv[2], argv + 2);
        _exit(127);
    }
    double mapped = -1;
    int fd = ConnectionNumber(dpy);
    while (mapped < 0 && nowMs() - t0 < 600000) {
        while (XPending(dpy)) {
            XEvent ev;
            XNextEvent(dpy, &ev);
            if (ev.type != MapNotify) continue;
            char* name = nullptr;
            if (XFetchName(dpy, ev.xmap.window, &name) && name && strstr(name, want))
                mapped = nowMs() - t0;
            if (name) XFree(name);
        }
        if (mapped >= 0) break;
        int status;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            fprintf(stderr, "bench_window_wait: %s ended before mapping a window\n", argv[2]);
            return 1;
        }
        fd_set set;
        FD_ZERO(&set);
        FD_SET(fd, &set);
        struct timeval tv = {0, 20000};
        select(fd + 1, &set, nullptr, nullptr, &tv);
    }
    // Idle: no CPU time used over three polls 100 ms apart.
    long last = cpuTicks(pid);
    double lastChange = nowMs() - t0;
    int still = 0;
    while (still < 3 && nowMs() - t0 < 600000) {
        usleep(100000);
        long t = cpuTicks(pid);
        if (t != last) {
            last = t;
            lastChange = nowMs() - t0;
            still = 0;
        } else {
            still++;
        }
    }
    long kb = peakKb(pid);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    printf("%.0f %.0f %.1f\n", mapped, lastChange > mapped ? lastChange : mapped, kb / 1024.0);
    XCloseDisplay(dpy);
    return mapped >= 0 ? 0 : 1;
}
