// vc/qvc_text.cc: QVC version numbers, dates, and the texts rebuilt from delta blocks.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "diff/diff.h"
#include "runtime/gen.h"
#include "vc/qvc.h"

// ---------------------------------------------------------------- versions

int qvc_isversion(const std::string& v) {
    if (v.empty() || !isdigit((unsigned char)v[0]) || v.back() == '.') return 0;
    for (size_t i = 0; i < v.size(); i++) {
        if (v[i] == '.' && v[i - 1] == '.') return 0;
        if (v[i] != '.' && !isdigit((unsigned char)v[i])) return 0;
    }
    return 1;
}

int qvc_numdots(const std::string& v) {
    int n = 0;
    for (char c : v) n += c == '.';
    return n;
}

int qvc_nextversion(const std::string& v, std::string& out) {
    if (!qvc_isversion(v)) return -1;
    size_t dot = v.rfind('.');
    size_t start = dot == std::string::npos ? 0 : dot + 1;
    out = v.substr(0, start) + std::to_string(atol(v.c_str() + start) + 1);
    return 0;
}

int qvc_nextfullversion(const std::string& v, std::string& out) {
    if (!qvc_isversion(v) || qvc_numdots(v) < 1) return -1;
    size_t last = v.rfind('.');
    size_t prev = v.rfind('.', last - 1);
    size_t start = prev == std::string::npos ? 0 : prev + 1;
    long n = atol(v.c_str() + start);
    out = v.substr(0, start) + std::to_string(n + 1) + ".1";
    return 0;
}

int qvc_vercmp(const std::string& a, const std::string& b) {
    const char* p = a.c_str();
    const char* q = b.c_str();
    for (;;) {
        bool pe = *p == 0 || *p == '\n';
        bool qe = *q == 0 || *q == '\n';
        if (pe || qe) return pe && qe ? 0 : (pe ? -1 : 1);
        long x = strtol(p, const_cast<char**>(&p), 10);
        long y = strtol(q, const_cast<char**>(&q), 10);
        if (x != y) return x < y ? -1 : 1;
        // Any separator compares equal.
        if (*p && *p != '\n') p++;
        if (*q && *q != '\n') q++;
    }
}

int qvc_resolvealiases(const QvcLog& log, const std::string& v, std::string& out) {
    out.clear();
    size_t pos = 0;
    while (pos <= v.size()) {
        size_t dot = v.find('.', pos);
        if (dot == std::string::npos) dot = v.size();
        std::string part = v.substr(pos, dot - pos);
        if (!part.empty() && !isdigit((unsigned char)part[0])) {
            bool found = false;
            for (auto& a : log.aliases) {
                if (a.name == part) {
                    part = a.version;
                    found = true;
                    break;
                }
            }
            if (!found) {
                qvcprint("Invalid alias: %s.\n", part.c_str());
                return -1;
            }
        }
        out += (out.empty() && pos == 0 ? "" : ".") + part;
        pos = dot + 1;
    }
    return 0;
}

int qvc_recordofversion(const QvcLog& log, const std::string& v) {
    for (int i = 0; i < log.count; i++)
        if (log.recs[i].version == v) return i;
    return -1;
}

int qvc_findversion(const QvcLog& log, const std::string& version) {
    return qvc_recordofversion(log, version);
}

// ---------------------------------------------------------------- dates

std::string qvc_GetDateString(time_t t) {
    struct tm tm;
    localtime_r(&t, &tm);
    char text[64];
    if (tm.tm_year < 100)
        snprintf(text, sizeof text, "%02d/%02d/%02d %02d:%02d:%02d", tm.tm_mon + 1, tm.tm_mday,
                 tm.tm_year, tm.tm_hour, tm.tm_min, tm.tm_sec);
    else
        snprintf(text, sizeof text, "%02d/%02d/%04d %02d:%02d:%02d", tm.tm_mon + 1, tm.tm_mday,
                 tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return text;
}

std::string qvc_getdate() {
    return qvc_GetDateString(time(nullptr));
}

// Reads up to six numbers separated by non-digits; widths[i] limits the digits of field i
// (0: any number of digits).
static int readFields(const char* text, long* fields, const int* widths) {
    int n = 0;
    const char* p = text;
    while (n < 6 && *p) {
        while (*p && !isdigit((unsigned char)*p)) p++;
        if (!*p) break;
        long value = 0;
        int digits = 0;
        while (isdigit((unsigned char)*p) && (widths[n] == 0 || digits < widths[n])) {
            if (value < 100000000) value = value * 10 + (*p - '0');
            p++;
            digits++;
        }
        fields[n++] = value;
    }
    return n;
}

QvcDate qvc_NewStyleStringToDate(const char* text) {
    long f[6] = {2099, 12, 31, 23, 59, 59};
    static const int widths[6] = {4, 2, 2, 2, 2, 2};
    readFields(text, f, widths);
    QvcDate d{int(f[0]), int(f[1]), int(f[2]), int(f[3]), int(f[4]), int(f[5])};
    qvc_fixdate(d);
    return d;
}

QvcDate qvc_OldStyleStringToDate(const char* text) {
    long f[6] = {12, 31, 2049, 23, 59, 59};
    static const int widths[6] = {0, 0, 0, 0, 0, 0};
    readFields(text, f, widths);
    QvcDate d{int(f[2]), int(f[0]), int(f[1]), int(f[3]), int(f[4]), int(f[5])};
    qvc_fixdate(d);
    return d;
}

std::string qvc_ConvertOldDateToNew(const char* text) {
    QvcDate d = qvc_OldStyleStringToDate(text);
    char out[64];
    snprintf(out, sizeof out, "%04d/%02d/%02d %02d:%02d:%02d", d.year + 1900, d.month, d.day,
             d.hour, d.minute, d.second);
    return out;
}

static bool leapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

void qvc_fixdate(QvcDate& d) {
    if (d.year >= 1900)
        d.year -= 1900;
    else if (d.year >= 0 && d.year <= 49)
        d.year += 100;
    int* fields[] = {&d.year, &d.month, &d.day, &d.hour, &d.minute, &d.second};
    for (int* f : fields)
        if (*f < 0) *f = 0;
    // Months wrap on their zero-based value so that 12 stays December.
    d.month = d.month == 0 ? 1 : (d.month - 1) % 12 + 1;
    d.hour %= 24;
    d.minute %= 60;
    d.second %= 60;
    static const int lengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int length = lengths[d.month - 1];
    if (d.month == 2 && leapYear(d.year + 1900)) length = 29;
    if (d.day > length) d.day = length;
    if (d.day < 1) d.day = 1;
}

long long qvc_mktime(const QvcDate& d) {
    // Days from the civil date (Howard Hinnant's algorithm), counted as universal time.
    long long y = d.year + 1900;
    int m = d.month;
    y -= m <= 2;
    long long era = (y >= 0 ? y : y - 399) / 400;
    long long yoe = y - era * 400;
    long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d.day - 1;
    long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    long long days = era * 146097 + doe - 719468;
    return days * 86400 + d.hour * 3600LL + d.minute * 60LL + d.second;
}

int qvc_findverfromdate(FILE* stream, QvcLog& log, const char* date, int start) {
    // Users give the new style; the editor's front end passes month-first dates.
    int digits = 0;
    while (isdigit((unsigned char)date[digits])) digits++;
    long long wanted = qvc_mktime(digits >= 3 ? qvc_NewStyleStringToDate(date)
                                              : qvc_OldStyleStringToDate(date));
    int best = -1;
    long long bestTime = 0;
    int steps = 0;
    for (int r = start >= 0 ? start : log.trunkIndex; r >= 0 && r < log.count && steps <= log.count; steps++) {
        if (qvc_readrec(stream, log, r, 0) < 0) return -1;
        long long t = qvc_mktime(qvc_OldStyleStringToDate(log.recs[r].date.c_str()));
        // Walking from the newest, only a strictly later date replaces the best.
        if (t <= wanted && (best < 0 || t > bestTime)) {
            best = r;
            bestTime = t;
        }
        r = log.recs[r].next;
    }
    return best;
}

// ---------------------------------------------------------------- texts

int qvc_readtext(const char* path, QvcText& text) {
    text.clear();
    FILE* f = fopen(path, "rb");
    if (!f) return -1;
    char* buf = nullptr;
    size_t cap = 0;
    ssize_t n;
    int result = 0;
    while ((n = getline(&buf, &cap, f)) >= 0) {
        if (memchr(buf, 0, n)) result = -2;
        text.emplace_back(buf, n);
    }
    if (ferror(f)) result = -1;
    free(buf);
    fclose(f);
    // The log is line based: a last line without a newline is stored with one.
    if (!text.empty() && text.back().back() != '\n') text.back() += '\n';
    return result;
}

int qvc_writetext(int fd, const QvcText& text) {
    std::string all;
    for (auto& l : text) all += l;
    return gen_writefull(fd, all.data(), all.size()) ? 0 : -1;
}

int qvc_applyblock(const QvcText& given, const std::vector<std::string>& block, int produced,
                   QvcText& out) {
    out.clear();
    out.reserve(std::min<size_t>(size_t(produced), given.size() + block.size()));
    int n = int(given.size());
    // A delta pairs each line of the given text with at most one line it builds.
    std::vector<bool> used(n + 1, false);
    for (size_t k = 0; k < block.size(); k++) {
        const char* e = block[k].c_str();
        if (e[0] == 'm') {
            int a = 0, b = 0;
            if (sscanf(e + 1, "%d,%d", &a, &b) < 2) b = a;
            if (a < 1 || b > n || a > b) return -1;
            for (int i = a; i <= b; i++) {
                if (used[i]) return -1;
                used[i] = true;
                out.push_back(given[i - 1]);
            }
        } else {
            int a = atoi(e + 1);
            for (int i = 0; i < a && k + 1 < block.size(); i++) out.push_back(block[++k]);
        }
    }
    return int(out.size()) == produced ? 0 : -1;
}

int qvc_makeblock(const QvcText& from, const QvcText& to, std::vector<std::string>& block) {
    std::vector<const char*> a, b;
    for (auto& l : from) a.push_back(l.c_str());
    for (auto& l : to) b.push_back(l.c_str());
    int count = 0;
    block.clear();
    DiffResult* r = diff_mem(int(a.size()), a.data(), int(b.size()), b.data(), &count, &block);
    if (!r) return -1;
    diff_free(r);
    return 0;
}

int qvc_readtorecn(FILE* f, QvcLog& log, int n, std::vector<int>& order) {
    order.clear();
    int wanted = log.count - 1 - n;
    if (wanted < 0 || wanted >= log.count || qvc_readcurfile(f, log) < 0) return -1;
    std::vector<int> branchPart;
    int r = wanted;
    int steps = 0;
    while (r >= 0 && r < log.count && qvc_numdots(log.recs[r].version) >= 2) {
        if (qvc_readrec(f, log, r, 1) < 0 || ++steps > log.count) return -1;
        branchPart.push_back(r);
        r = log.recs[r].next;
    }
    if (r < 0 || r >= log.count) return -1;
    // Trunk deltas step back from the head to the base; branch deltas then go forward.
    for (int t = log.trunkIndex; t != r; t = log.recs[t].next) {
        if (t < 0 || t >= log.count || qvc_readrec(f, log, t, 1) < 0 || ++steps > 2 * log.count)
            return -1;
        order.push_back(t);
    }
    order.insert(order.end(), branchPart.rbegin(), branchPart.rend());
    return 0;
}

int qvc_rebuild(FILE* f, QvcLog& log, int n, QvcText& text, int* expected) {
    std::vector<int> order;
    if (n < 0 || n >= log.count || qvc_readtorecn(f, log, log.count - 1 - n, order) < 0) return -1;
    text = log.current;
    int lines = int(log.current.size());
    QvcText next;
    for (int r : order) {
        const QvcRecord& rec = log.recs[r];
        if (qvc_applyblock(text, rec.block, rec.blockLines, next) < 0) {
            errno = 0;
            qvc_logerror(1);
            return -1;
        }
        text.swap(next);
        lines = rec.blockLines;
    }
    if (expected) *expected = lines;
    return 0;
}
