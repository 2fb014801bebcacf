// print/prt_job.cc: a print request: a File's lines (with their syntax colours) written as
// PostScript into the output file, or into a temporary file handed to the printer command.
#include <cerrno>
#include <climits>
#include <cstring>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "buffer/file.h"
#include "config/options.h"
#include "lang/syn.h"
#include "print/prt.h"
#include "runtime/error.h"
#include "runtime/gen.h"
#include "toolkit/process.h"
#include "toolkit/toolkit.h"
#include "toolkit/window.h"

namespace {

// The colour of a syntax class as the colour options give it, by the pixel the colouring
// engine hands out for that class.
struct ClassColours {
    std::vector<std::pair<unsigned long, unsigned>> byPixel;
    unsigned plain = 0;

    static unsigned rgbOf(int slot) {
        int r = 0, g = 0, b = 0;
        if (!WParseColor(colorTexts[slot].c_str(), &r, &g, &b)) return 0;
        return (unsigned)(((r >> 8) << 16) | ((g >> 8) << 8) | (b >> 8));
    }
    ClassColours() {
        const std::pair<unsigned long, int> classes[] = {
            {comment_fg, COLOR_COMMENT}, {keyword_fg, COLOR_KEYWORD},     {string_fg, COLOR_STRING},
            {integer_fg, COLOR_NUMBER},  {character_fg, COLOR_CHARACTER}, {deadcode_fg, COLOR_DEADCODE},
        };
        for (auto& c : classes) byPixel.emplace_back(c.first, rgbOf(c.second));
    }
    // Printing is on white paper: the text colour is black whatever the screen's is.
    unsigned of(unsigned long pixel) const {
        if (pixel == fg_pixel) return plain;
        for (auto& p : byPixel)
            if (p.first == pixel) return p.second;
        return plain;
    }
};

void colourRuns(File* file, int64_t n, Line* line, const ClassColours& cc,
                std::vector<unsigned long>& pixels, std::vector<PrintRun>& runs) {
    runs.clear();
    syn_LineColours(file, nullptr, n, line, fg_pixel, pixels);
    for (int i = 0; i < (int)pixels.size();) {
        int j = i;
        while (j < (int)pixels.size() && pixels[(size_t)j] == pixels[(size_t)i]) j++;
        runs.push_back({i, j, cc.of(pixels[(size_t)i])});
        i = j;
    }
}

int runPrinter(const std::string& command) {
    fflush(stdout);
    pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) WExecShell(command.c_str());
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

namespace {

// The program around the lines: the output file, the prolog, what body writes, the trailer.
// 1 on success; failures are reported.
template <class Body>
int writeProgram(const char* path, const PrintSettings& settings, const std::string& title, Body body) {
    FILE* out = fopen(path, "w");
    if (!out) {
        mprintf("Couldn't open file %s\n", path);
        return 0;
    }
    PsWriter ps(out, settings, title);
    if (!ps.prolog()) {
        mprintf("Initialization failed.\n");
        fclose(out);
        return 0;
    }
    bool ok = body(ps);
    if (!ps.finish()) {
        mprintf("Print failed.\n");
        ok = false;
    }
    if (fclose(out) != 0) ok = false;
    return ok ? 1 : 0;
}

std::string baseName(const char* name) {
    const char* slash = name ? strrchr(name, '/') : nullptr;
    return name ? (slash ? slash + 1 : name) : "";
}

// A file on disk, read a line at a time: its size never has to fit the editor's store.
int printDiskFile(const char* path, const PrintSettings& settings, const std::string& name) {
    if (name.empty()) {
        mprintf("Nothing to print.\n");
        return 0;
    }
    struct stat st;
    FILE* in = stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode) ? fopen(name.c_str(), "rb") : nullptr;
    if (!in) {
        mprintf("Couldn't open file %s.\n", name.c_str());
        return 0;
    }
    char* buf = nullptr;
    size_t cap = 0;
    ssize_t len = getline(&buf, &cap, in);
    if (len < 0 && !feof(in)) {
        if (errno == ENOMEM)
            mprintf("Can't get enough buffer to print file %s.\n", name.c_str());
        else
            mprintf("Couldn't open file %s.\n", name.c_str());
        fclose(in);
        free(buf);
        return 0;
    }
    if (len < 0) {
        mprintf("Nothing to print.\n");
        fclose(in);
        free(buf);
        return 0;
    }
    int r = writeProgram(path, settings, baseName(name.c_str()), [&](PsWriter& ps) {
        bool ok = true;
        for (; len >= 0 && ok; len = getline(&buf, &cap, in)) {
            if (len > 0 && buf[len - 1] == '\n') len--;
            if (len > INT_MAX) len = INT_MAX;
            ok = ps.line(buf, (int)len);
        }
        return ok;
    });
    fclose(in);
    free(buf);
    return r;
}

} // namespace

int prt_PrintFileTo(const char* path, const PrintSettings& settings, const PrintSource& src) {
    if (!src.path.empty() || !src.file) return printDiskFile(path, settings, src.path);
    File* file = src.file;
    if (file->nLines == 0) {
        mprintf("Nothing to print\n");
        return 0;
    }
    return writeProgram(path, settings, baseName(file->name), [&](PsWriter& ps) {
        int64_t l1 = src.l1 ? src.l1 : 1, l2 = src.l1 ? std::min(src.l2, file->nLines) : file->nLines;
        bool colour = settings.colours && colorsyntax;
        ClassColours cc;
        std::vector<unsigned long> pixels;
        std::vector<PrintRun> runs;
        int64_t n = l1;
        bool ok = true;
        for (Line* line = FileLine(file, l1); line && n <= l2 && ok; line = line->next, n++) {
            if (colour) colourRuns(file, n, line, cc, pixels, runs);
            const char* text = FileLineText(file, line);
            int from = n == l1 ? std::min(src.c1, line->len) : 0;
            int to = n == l2 && src.c2 >= 0 ? std::min(src.c2, line->len) : line->len;
            if (to < from) to = from;
            if (from > 0 || to < line->len) {
                for (PrintRun& r : runs) {
                    r.from = std::max(r.from - from, 0);
                    r.to = std::max(std::min(r.to, to) - from, 0);
                }
            }
            ok = ps.line(text + from, to - from, colour ? &runs : nullptr);
        }
        return ok;
    });
}

int prt_Print(const PrintSettings& s, const PrintSource& source) {
    std::string path;
    if (s.destination == PRT_TO_FILE) {
        path = s.outputFile.empty() ? "quorl.ps" : s.outputFile;
        if (access(path.c_str(), F_OK) == 0) {
            GenStr q(gen_sprintf("File %s already exists. Overwrite?", path.c_str()));
            if (WYesNo("Print", q.get(), 0) != 1) return 0;
        }
    } else {
        GenStr tmp(tmp1name(nullptr, nullptr, ".ps"));
        if (!tmp.get()) {
            mprintf("Printing failed.\n");
            return 0;
        }
        path = tmp.get();
    }
    if (!prt_PrintFileTo(path.c_str(), s, source)) {
        mprintf("Printing failed.\n");
        if (s.destination != PRT_TO_FILE) unlink(path.c_str());
        return 0;
    }
    if (s.destination == PRT_TO_FILE) {
        mprintf("Printed to file: %s\n", path.c_str());
        return 1;
    }
    // The user's printer command is a shell line by intent; the file name is quoted.
    std::string command = (s.printerCommand.empty() ? printcommand : s.printerCommand) + " " +
                          WShellQuote(path);
    int status = runPrinter(command);
    unlink(path.c_str());
    if (status != 0) {
        mprintf("Command \"%s\" failed.\n", command.c_str());
        return 0;
    }
    return 1;
}
