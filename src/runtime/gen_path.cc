// runtime/gen_path.cc: file-name helpers ('/' separated, "." the current directory).
#include "runtime/gen.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

char* gen_basename(const char* path) {
    if (!path) return nullptr;
    const char* slash = strrchr(path, '/');
    return (char*)(slash ? slash + 1 : path);
}

char* gen_dirname(const char* path) {
    if (!path) return nullptr;
    const char* slash = strrchr(path, '/');
    if (!slash) return nullptr;
    if (slash == path) return gen_copy("/");
    return gen_copyn(path, slash - path);
}

int gen_absolutefilename(const char* path) {
    return path && (path[0] == '/' || path[0] == '~');
}

static bool isDot(const char* c) {
    return c[0] == '.' && c[1] == 0;
}
static bool isDotDot(const char* c) {
    return c[0] == '.' && c[1] == '.' && c[2] == 0;
}

// Works on a list of components: "." goes unless it is a leading "./" in front of a name,
// a name followed by ".." folds away, leading ".." stay, and "/.." is "/".
char* gen_canonicalfilename(char* path) {
    if (!path || !*path) return path;
    bool absolute = path[0] == '/';
    size_t n = strlen(path);
    GenStr work(gen_copy(path));
    const char** in = (const char**)gen_alloc((long)n + 1, sizeof(char*));
    int inCount = 0;
    char* rest = nullptr;
    for (char* c = gen_strtok_r(work.get(), "/", &rest); c; c = gen_strtok_r(nullptr, "/", &rest))
        in[inCount++] = c;
    const char** out = (const char**)gen_alloc((long)n + 1, sizeof(char*));
    int count = 0;
    for (int i = 0; i < inCount; i++) {
        const char* c = in[i];
        if (isDot(c)) {
            bool leadsName = !absolute && count == 0 && i + 1 < inCount && !isDot(in[i + 1]) &&
                             !isDotDot(in[i + 1]);
            if (leadsName) out[count++] = c;
            continue;
        }
        if (isDotDot(c)) {
            if (count > 0 && !isDotDot(out[count - 1])) {
                if (isDot(out[count - 1]))
                    out[count - 1] = c; // a kept "./" never precedes "..", but be safe
                else
                    count--;
                continue;
            }
            if (absolute && count == 0) continue;
        }
        out[count++] = c;
    }
    char* dst = path;
    if (absolute) *dst++ = '/';
    for (int i = 0; i < count; i++) {
        size_t len = strlen(out[i]);
        memmove(dst, out[i], len);
        dst += len;
        if (i + 1 < count) *dst++ = '/';
    }
    *dst = 0;
    gen_free(in);
    gen_free(out);
    return path;
}

char* gen_sconcat(const char* dir, const char* name) {
    if (name && name[0] == '/') return gen_copy(name);
    char* r;
    if (!dir || !*dir)
        r = gen_copy(name ? name : "");
    else if (!name || !*name)
        r = gen_copy(dir);
    else if (dir[strlen(dir) - 1] == '/')
        r = gen_concat(dir, name);
    else
        r = gen_concat_sep(dir, '/', name);
    gen_canonicalfilename(r);
    if (!*r) {
        gen_free(r);
        r = gen_copy(".");
    }
    return r;
}

char* gen_dconcat(const char* dir, const char* name) {
    if (!dir || !*dir) return gen_copy(name ? name : "");
    if (!name || !*name) return gen_copy(dir);
    return gen_sconcat(dir, name);
}

static char* cwdCache = nullptr;

const char* gen_getcwd() {
    if (!cwdCache) {
        char buf[PATH_MAX];
        cwdCache = gen_copy(getcwd(buf, sizeof buf) ? buf : ".");
    }
    return cwdCache;
}

int gen_chdir(const char* path) {
    int r = path ? chdir(path) : -1;
    if (r == 0) {
        gen_free(cwdCache);
        cwdCache = nullptr;
    }
    return r;
}

const char* gen_getdot() {
    return ".";
}

int gen_samefile(const char* a, const char* b) {
    if (!a || !b) return 0;
    GenStr pa(gen_sconcat(gen_getcwd(), a)), pb(gen_sconcat(gen_getcwd(), b));
    return strcmp(pa.get(), pb.get()) == 0;
}

char* gen_topdir(const char* path) {
    if (!path) return nullptr;
    const char* p = path;
    if (*p == '/') p++;
    const char* slash = strchr(p, '/');
    return slash ? gen_copyn(path, slash - path) : gen_copy(path);
}

const char* gen_popdir(const char* path) {
    if (!path) return nullptr;
    const char* p = path;
    if (*p == '/') p++;
    const char* slash = strchr(p, '/');
    return slash ? slash + 1 : p + strlen(p);
}

int gen_dirmatch(const char* a, const char* b) {
    if (!a || !b) return 0;
    size_t i = 0;
    while (a[i] && a[i] == b[i]) i++;
    if (i > 0 && a[i - 1] == '/') return 1; // the common part ends with a whole component
    bool endA = !a[i] || a[i] == '/', endB = !b[i] || b[i] == '/';
    return endA && endB;
}

static bool allDigits(const char* s, const char* end) {
    if (s >= end) return false;
    for (; s < end; s++)
        if (*s < '0' || *s > '9') return false;
    return true;
}

char* gen_getsuffix(const char* path) {
    if (!path) return nullptr;
    const char* base = gen_basename(path);
    const char* last = strrchr(base, '.');
    if (!last) return nullptr;
    // libx.so.1.2: a shared or static library with two version numbers is an "so" or "sa".
    const char* end = last + 1 + strlen(last + 1);
    if (last > base && allDigits(last + 1, end)) {
        const char* prev = last - 1;
        while (prev > base && *prev != '.') prev--;
        if (*prev == '.' && allDigits(prev + 1, last) && prev - base >= 3 && prev[-3] == '.' &&
            prev[-2] == 's' && (prev[-1] == 'o' || prev[-1] == 'a'))
            return (char*)(prev[-1] == 'o' ? "so" : "sa");
    }
    return (char*)(last + 1);
}

static const char* bareSuffix(const char* sfx) {
    return (sfx && *sfx == '.') ? sfx + 1 : sfx;
}

int gen_issuffix(const char* path, const char* sfx) {
    const char* s = gen_getsuffix(path);
    sfx = bareSuffix(sfx);
    if (!s || !sfx) return 0;
    return strcmp(s, sfx) == 0;
}

char* gen_changesuffix(const char* path, const char* sfx) {
    if (!path) return nullptr;
    const char* base = gen_basename(path);
    const char* dot = strrchr(base, '.');
    size_t stem = dot ? (size_t)(dot - path) : strlen(path);
    GenStr head(gen_copyn(path, (long)stem));
    sfx = bareSuffix(sfx);
    if (!sfx || !*sfx) return gen_copy(head.get());
    return gen_concat3(head.get(), ".", sfx);
}

char* gen_changesuffix2(const char* dir, const char* path, const char* sfx) {
    GenStr changed(gen_changesuffix(gen_basename(path), sfx));
    return gen_dconcat(dir, changed.get());
}

char* gen_addsuffix(const char* path, const char* sfx) {
    sfx = bareSuffix(sfx);
    if (!sfx || !*sfx) return gen_copy(path);
    return gen_concat3(path, ".", sfx);
}

int gen_basenamelen(const char* path) {
    if (!path) return 0;
    const char* base = gen_basename(path);
    const char* dot = strrchr(base, '.');
    return dot ? (int)(dot - base) : (int)strlen(base);
}

int gen_basenamematch(const char* a, const char* b) {
    if (!a || !b) return 0;
    return strcmp(gen_basename(a), gen_basename(b)) == 0;
}

char* gen_makeshort(const char* path, int maxLen) {
    if (!path) return nullptr;
    int n = (int)strlen(path);
    if (n <= maxLen || maxLen < 4) return gen_copy(path);
    return gen_concat("...", path + n - (maxLen - 3));
}

char* gen_realpath(const char* path) {
    if (!path) return nullptr;
    char buf[PATH_MAX];
    if (realpath(path, buf)) return gen_copy(buf);
    return gen_copy(path);
}

int gen_isdir(const char* path) {
    struct stat st;
    return path && stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

int gen_canexec(const char* path) {
    struct stat st;
    if (!path || stat(path, &st) != 0) return -1;
    if (S_ISDIR(st.st_mode)) return 0;
    return access(path, X_OK) == 0 ? 1 : 0;
}

const char* gen_getenv(const char* name, const char* dflt) {
    const char* v = name ? getenv(name) : nullptr;
    return (v && *v) ? v : dflt;
}

static bool usableDir(const char* dir) {
    return dir && *dir && gen_isdir(dir) && access(dir, W_OK | X_OK) == 0;
}

const char* gen_default_temp_dir(const char* preferred) {
    static char* dir = nullptr;
    if (dir && !preferred) return dir;
    gen_free(dir);
    const char* tmpdir = getenv("TMPDIR");
    if (usableDir(tmpdir))
        dir = gen_copy(tmpdir);
    else if (usableDir(preferred))
        dir = gen_copy(preferred);
    else if (access("/var/tmp/", W_OK | X_OK) == 0)
        dir = gen_copy("/var/tmp/");
    else
        dir = gen_copy("/tmp");
    return dir;
}
