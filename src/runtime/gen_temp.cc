// runtime/gen_temp.cc: unused temporary file and directory names.
#include "runtime/gen.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

static const char base32[] = "0123456789abcdefghijklmnopqrstuv";
static const long lastCounter = 0xFFFFF; // four base-32 digits
static long tempCounter = 1;

void gen_set_temp_counter(long next) {
    tempCounter = next;
}

// "tq_" and three base-32 digits of the process id, or the builder's own stem.
static std::string nameStem() {
    const char* builder = getenv("BUILDER_TEMPORARY_NAME");
    if (builder && *builder) {
        std::string s = builder;
        if (s.back() != '.') s += '.';
        return s;
    }
    unsigned pid = (unsigned)getpid();
    std::string s = "tq_";
    s += base32[(pid >> 10) & 31];
    s += base32[(pid >> 5) & 31];
    s += base32[pid & 31];
    return s;
}

static std::string counterDigits(long counter) {
    std::string digits;
    do {
        digits.insert(digits.begin(), base32[counter & 31]);
        counter >>= 5;
    } while (counter > 0);
    return digits;
}

static char* joinName(const char* dir, const std::string& stem, long counter, const char* suffix) {
    std::string file = stem + counterDigits(counter);
    if (suffix && *suffix == '.') suffix++;
    if (suffix && *suffix) {
        file += '.';
        file += suffix;
    }
    if (!dir || !*dir) dir = gen_temp_dir(nullptr);
    return gen_sconcat(dir, file.c_str());
}

static bool nameUsed(const char* path) {
    struct stat st;
    return lstat(path, &st) == 0; // a dangling link still blocks the name
}

// One counter value for all n names, the first at which none of them exists.
static int makeNames(int n, const char* const dirs[], const char* const sfx[], char* names[]) {
    std::string stem = nameStem();
    for (int i = 0; i < n; i++) names[i] = nullptr;
    while (tempCounter <= lastCounter) {
        long counter = tempCounter++;
        bool used = false;
        for (int i = 0; i < n; i++) {
            names[i] = joinName(dirs[i], stem, counter, sfx[i]);
            used = used || nameUsed(names[i]);
        }
        if (!used) return 1;
        for (int i = 0; i < n; i++) {
            gen_free(names[i]);
            names[i] = nullptr;
        }
    }
    return 0;
}

char* gen_tempname(const char* path, const char* suffix) {
    GenStr dir;
    if (path && *path) {
        if (gen_isdir(path))
            dir.reset(gen_copy(path));
        else
            dir.reset(gen_dirname(path));
        if (!dir) dir.reset(gen_copy("."));
    }
    const char* dirs[1] = {dir.get()};
    const char* sfx[1] = {suffix};
    char* name = nullptr;
    makeNames(1, dirs, sfx, &name);
    return name;
}

char* tmp1name(const char* dirHint, char* buf, const char* suffix) {
    const char* dirs[1] = {dirHint};
    const char* sfx[1] = {suffix};
    char* name = nullptr;
    if (!makeNames(1, dirs, sfx, &name)) return nullptr;
    if (!buf) return name;
    snprintf(buf, PATH_MAX, "%s", name);
    gen_free(name);
    return buf;
}

int tmp2name(const char* dir1, const char* sfx1, const char* dir2, const char* sfx2, char** name1,
             char** name2) {
    const char* dirs[2] = {dir1, dir2};
    const char* sfx[2] = {sfx1, sfx2};
    char* names[2];
    int ok = makeNames(2, dirs, sfx, names);
    *name1 = names[0];
    *name2 = names[1];
    return ok;
}

int xtmp3names(const char* const dirs[3], const char* const sfx[3], char* names[3]) {
    return makeNames(3, dirs, sfx, names);
}

int gen_opentempfile(const char* dirHint, const char* suffix, int mode, char** name) {
    if (name) *name = nullptr;
    for (;;) {
        char* candidate = tmp1name(dirHint, nullptr, suffix);
        if (!candidate) return -1;
        int fd = open(candidate, O_RDWR | O_CREAT | O_EXCL, mode);
        if (fd >= 0) {
            fchmod(fd, (mode_t)mode); // exactly the mode asked for, whatever the umask
            if (name)
                *name = candidate;
            else
                gen_free(candidate);
            return fd;
        }
        int err = errno;
        gen_free(candidate);
        if (err != EEXIST) return -1;
    }
}

// The two trailing characters count 0-9 then a-z; "aa" is the first tried.
static bool nextTwo(char* p) {
    static const char order[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    for (int i = 1; i >= 0; i--) {
        const char* at = strchr(order, p[i]);
        if (at && at[1]) {
            p[i] = at[1];
            return true;
        }
        p[i] = '0';
    }
    return false;
}

char* gen_tmpdirname() {
    char file[16];
    snprintf(file, sizeof file, "tq%04Xaa", (unsigned)getpid() & 0xFFFF);
    const char* dir = gen_temp_dir(nullptr);
    for (;;) {
        char* name = gen_sconcat(dir, file);
        if (!nameUsed(name)) return name;
        gen_free(name);
        if (!nextTwo(file + 6)) return nullptr;
    }
}

char* gen_createtmpdir(int mode) {
    // Another process may take the name between the test and mkdir; try the next one then.
    for (int attempt = 0; attempt < 100; attempt++) {
        char* name = gen_tmpdirname();
        if (!name) return nullptr;
        if (mkdir(name, (mode_t)mode) == 0) {
            chmod(name, (mode_t)mode); // exactly the mode asked for, whatever the umask
            return name;
        }
        int err = errno;
        gen_free(name);
        if (err != EEXIST) return nullptr;
    }
    return nullptr;
}
