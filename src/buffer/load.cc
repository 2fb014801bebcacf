// buffer/load.cc: opening files, loading them through the temp file, stubs and freeing.
#include <cerrno>
#include <algorithm>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "buffer/bytescan.h"
#include "buffer/autoindent.h"
#include "buffer/file.h"
#include "buffer/journal.h"
#include "buffer/registry.h"
#include "buffer/synhook.h"
#include "buffer/vchook.h"
#include "buffer/undo.h"
#include "config/options.h"
#include "config/switches.h"
#include "runtime/error.h"
#include "runtime/gen.h"
#include "runtime/utf8.h"
#include "toolkit/longwork.h"
#include "toolkit/toolkit.h"


static constexpr int64_t maxLineLen = INT32_MAX - 16;
// Widths saturate: a gigabyte of control bytes must not wrap the column count.
static constexpr int maxWidthLimit = INT_MAX / 2;

// Drops each CR that is followed by LF in buf[0..n). A trailing CR is left for the caller,
// who cannot yet know what follows it. Returns the new length; counts the pairs dropped.
static size_t dropCrLf(char* buf, size_t n, int64_t& pairs) {
    char* cr = (char*)memchr(buf, '\r', n);
    if (!cr) return n;
    char* out = cr;
    for (char* p = cr; p < buf + n; p++) {
        if (*p == '\r' && p + 1 < buf + n && p[1] == '\n') {
            pairs++;
            continue;
        }
        *out++ = *p;
    }
    return (size_t)(out - buf);
}

// Splits written data into Lines and measures their widths in one pass: runs of ordinary
// bytes are skipped a word at a time, stopping only at bytes below 0x20.
static inline bool hasByte(uint64_t x, unsigned char b) {
    uint64_t y = x ^ (0x0101010101010101ull * b);
    return ((y - 0x0101010101010101ull) & ~y & 0x8080808080808080ull) != 0;
}

struct LineSplitter {
    File* file;
    Line* before;
    int64_t lineStart; // temp offset of the current line's first byte
    int width = 1;     // maxWidth measure of the current line so far, a byte a column
    int cols = 1;      // the same with UTF-8 characters at their display width
    int64_t widthAt;   // temp offset up to which width and cols are counted
    int64_t lfCount = 0;
    bool tooLong = false;
    // The widest line by each measure and where it starts: which measure maxWidth takes is
    // known once the load has settled the File's encoding.
    int widestBytes = 0, widestCols = 0;
    int64_t widestBytesAt = -1, widestColsAt = -1;
    // A character cut by the end of a piece: its first bytes.
    char held[4] = {};
    int heldLen = 0;

    void endLine(int64_t at) {
        int64_t len = at - lineStart;
        if (len > maxLineLen) {
            tooLong = true;
            len = maxLineLen;
        }
        int64_t w = std::min<int64_t>(width + (at - widthAt), maxWidthLimit);
        int64_t c = std::min<int64_t>(cols + (at - widthAt), maxWidthLimit);
        if (w > widestBytes) {
            widestBytes = (int)w;
            widestBytesAt = lineStart;
        }
        if (c > widestCols) {
            widestCols = (int)c;
            widestColsAt = lineStart;
        }
        _FileInsertO(file, before, lineStart, (int)len);
        lineStart = at + 1;
        widthAt = at + 1;
        width = cols = 1;
    }

    // Both measures move on by the bytes since widthAt and then by one special byte or
    // character at `at`: bytesW and colsW more, or to their tab stops.
    void step(int64_t at, int len, int bytesW, int colsW, bool tab, int t) {
        int64_t w = width + (at - widthAt), c = cols + (at - widthAt);
        if (tab) {
            w = t * ((w + t) / t);
            c = t * ((c + t) / t);
        } else {
            w += bytesW;
            c += colsW;
        }
        width = (int)std::min<int64_t>(w, maxWidthLimit);
        cols = (int)std::min<int64_t>(c, maxWidthLimit);
        widthAt = at + len;
    }

    // Splits buf[0..n) (at temp offset base) into lines. With utf8 the characters beyond
    // ASCII are measured too (the piece has some and the File may be UTF-8); without, such
    // bytes count a column each in both measures.
    void scan(const char* buf, size_t n, int64_t base, bool utf8) {
        const int t = tabsize > 0 ? tabsize : 8;
        size_t i = 0;
        if (heldLen) {
            // The rest of a character cut at the end of the last piece: its bytes were
            // counted a column each, which its width now corrects.
            char seq[4];
            memcpy(seq, held, (size_t)heldLen);
            size_t more = std::min(n, (size_t)(4 - heldLen));
            memcpy(seq + heldLen, buf, more);
            char32_t ch;
            int len = Utf8Decode(seq, (size_t)heldLen + more, &ch);
            if (utf8 && ch != kUtf8Invalid) {
                cols -= len - Utf8Width(ch);
                i = (size_t)(len - heldLen);
            }
            heldLen = 0;
        }
        while (i < n) {
            i = utf8 ? NextControlOrHighByte(buf, i, n) : NextControlByte(buf, i, n);
            if (i >= n) break;
            unsigned char b = (unsigned char)buf[i];
            if (b >= 0x80) {
                int want = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
                bool cut = i + (size_t)want > n && want > 1;
                for (size_t k = i + 1; cut && k < n; k++)
                    cut = ((unsigned char)buf[k] & 0xC0) == 0x80;
                if (cut) {
                    // Finished by the next piece; counted a column a byte until then.
                    heldLen = (int)(n - i);
                    memcpy(held, buf + i, (size_t)heldLen);
                    break;
                }
                char32_t ch;
                int len = Utf8Decode(buf + i, n - i, &ch);
                step(base + (int64_t)i, len, len, ch == kUtf8Invalid ? 1 : Utf8Width(ch), false,
                     t);
                i += (size_t)len;
                continue;
            }
            if (b != '\n' && b != '\t' && width < maxWidthLimit) {
                // Runs of other control bytes (binary data) go 8 at a time, 2 columns each.
                int64_t at0 = base + (int64_t)i;
                int64_t w = width + (at0 - widthAt), c = cols + (at0 - widthAt);
                size_t j = i;
                while (j + 8 <= n && w < maxWidthLimit) {
                    uint64_t x;
                    memcpy(&x, buf + j, 8);
                    if ((x & 0xe0e0e0e0e0e0e0e0ull) || hasByte(x, '\n') || hasByte(x, '\t')) break;
                    w += 16;
                    c += 16;
                    j += 8;
                }
                if (j > i) {
                    width = (int)std::min<int64_t>(w, maxWidthLimit);
                    cols = (int)std::min<int64_t>(c, maxWidthLimit);
                    widthAt = base + (int64_t)j;
                    i = j;
                    continue;
                }
            }
            if (width >= maxWidthLimit && b != '\n') {
                // The width is saturated: only the next line end matters.
                const char* lf = (const char*)memchr(buf + i, '\n', n - i);
                size_t j = lf ? (size_t)(lf - buf) : n;
                cols = maxWidthLimit;
                widthAt = base + (int64_t)j;
                i = j;
                continue;
            }
            int64_t at = base + (int64_t)i;
            if (b == '\n') {
                lfCount++;
                endLine(at);
            } else {
                step(at, 1, 2, 2, b == '\t', t);
            }
            i++;
        }
    }
};

bool fileLoadAborted = false;

int FileLoad(File* file, int tempFd, int srcFd, int64_t startOffset, Line* beforeLine) {
    if (file->cacheAlloc < 1) {
        gen_free(file->cache);
        file->cacheAlloc = 32768;
        file->cache = (char*)gen_alloc(1, 32769);
    }
    char* buf = file->cache;
    size_t alloc = (size_t)file->cacheAlloc;
    int64_t pairs = 0, tempOff = startOffset;
    LineSplitter split{file, beforeLine, startOffset, 1, 1, startOffset};
    // Only a load into an empty File measures every line of its temp file.
    bool measured = !file->first;
    // A whole load leaves the line states to the colouring engine, which computes them when
    // lines are drawn (synValidLines 0): a scan of every line here would double the load.
    struct StatesOff {
        bool saved = file_synSuspended;
        explicit StatesOff(bool off) { if (off) file_synSuspended = true; }
        ~StatesOff() { file_synSuspended = saved; }
    } statesOff(measured && !beforeLine);
    file->widestOff = -1;
    file->widestW = 0;
    file->widestTab = tabsize;
    bool carryCr = false;
    size_t lastLen = 0;
    int64_t lastBase = startOffset;
    bool endsWithLf = true;
    // Whether the File is shown as UTF-8 is settled by a load into an empty File.
    Utf8Checker utf8;
    bool sawHigh = false;
    // A long load shows how far it got and stops on Escape (or a signal to end).
    struct stat srcStat;
    int64_t total = fstat(srcFd, &srcStat) == 0 ? (int64_t)srcStat.st_size : 0;
    std::string what = "Loading ";
    what += file->name ? gen_basename(file->name) : "file";
    WLongWork work(what.c_str());
    fileLoadAborted = false;
    // The lines still to come, estimated from those so far, let their records be made ready
    // ahead of them.
    struct Expecting {
        ~Expecting() { FileExpectLines(0); }
    } expecting;
    int64_t readBytes = 0;
    for (;;) {
        if (work.aborted(tempOff - startOffset, total) || gen_signalpending()) {
            fileLoadAborted = true;
            close(srcFd);
            return 0;
        }
        size_t have = 0;
        if (carryCr) buf[have++] = '\r';
        ssize_t got = gen_readfull(srcFd, buf + have, alloc - have);
        if (got < 0) got = 0;
        have += (size_t)got;
        readBytes += got;
        if (have == 0) break;
        bool atEnd = got == 0;
        carryCr = false;
        if (!atEnd && buf[have - 1] == '\r') { // a CR LF pair may straddle two chunks
            carryCr = true;
            have--;
        }
        size_t n = dropCrLf(buf, have, pairs);
        if (n && !gen_writefull(tempFd, buf, n)) {
            close(srcFd);
            return 0;
        }
        // Pieces of ASCII (all of most files) skip the character measure and the checker.
        bool high = Utf8NextHigh(buf, 0, n) < n || split.heldLen || utf8.holding();
        sawHigh = sawHigh || high;
        split.scan(buf, n, tempOff, high && (measured ? utf8.valid : file->utf8));
        if (high) utf8.feed(buf, n);
        if (n) {
            lastLen = n;
            lastBase = tempOff;
            endsWithLf = buf[n - 1] == '\n';
        }
        tempOff += (int64_t)n;
        if (atEnd) break;
        if (readBytes > 0 && total > readBytes && split.lfCount > 0)
            FileExpectLines(split.lfCount * (total - readBytes) / readBytes);
    }
    int64_t plainLf = split.lfCount - pairs;
    file->dosMode = file->loadedAsDos = pairs > plainLf;
    file->consistentEnds = pairs == 0 || plainLf == 0;
    if (debugFlag[XSW_MSWDOSFILES] && split.lfCount == 0)
        file->dosMode = file->loadedAsDos = file->consistentEnds = true;
    // The cache keeps the last chunk written.
    file->cacheBase = lastLen ? lastBase : -1;
    file->cacheLen = (int64_t)lastLen;
    if (!endsWithLf && tempOff > split.lineStart) split.endLine(tempOff);
    if (measured) file->utf8 = utf8.finish();
    int widest = file->utf8 ? split.widestCols : split.widestBytes;
    if (widest > file->maxWidth) file->maxWidth = widest;
    if (widest > file->widestW) {
        file->widestW = widest;
        file->widestOff = file->utf8 ? split.widestColsAt : split.widestBytesAt;
    }
    if (!measured) file->widestOff = -1;
    if (measured) {
        file->nonAscii = sawHigh;
        file->badUtf8 = false;
    } else if (sawHigh) {
        // Bytes read into a File already shown (a file inserted into it).
        if (!utf8.finish()) FileSawNotUtf8(file);
        file->nonAscii = true;
    }
    close(srcFd);
    if (split.tooLong) {
        QuorlError(1, "Line longer than 2 GB cut short in %s", file->name ? file->name : "file");
        // Saving would lose the rest of the line, whatever the file's permissions say.
        file->readOnly = file->loadReadOnly = true;
    }
    return 1;
}

void FileSetModTime(File* file) {
    if (file->internal) return;
    struct stat st;
    if (!file->name || stat(file->name, &st) != 0) {
        file->mtime = 0;
        file->mtimeNsec = 0;
        return;
    }
    file->mtime = st.st_mtime;
    file->mtimeNsec = st.st_mtim.tv_nsec;
    file->diskSize = st.st_size;
    file->dev = st.st_dev;
    file->ino = st.st_ino;
    file->mode = (int)(st.st_mode & 0777);
}

int FileCanAccess(const char* name, struct stat* st) {
    struct stat local;
    if (!st) st = &local;
    if (stat(name, st) != 0) {
        int e = errno;
        if (e == EACCES) return QuorlError(1, "No access to directory: %s", name), -1;
        if (e == ENOTDIR) return QuorlError(1, "Invalid directory: %s", name), -1;
        if (e == ENOENT) {
            GenStr dir(gen_dirname(name));
            if (access(dir ? dir.get() : ".", W_OK) != 0) {
                QuorlError(1, "No such file (and no write access to directory): %s", name);
                return -1;
            }
            return 0;
        }
        const char* text = strerror(e);
        if (text)
            QuorlError(1, "%s: %s", text, name);
        else
            QuorlError(1, "Error(%d) on file: %s", e, name);
        return -1;
    }
    if (S_ISDIR(st->st_mode)) return QuorlError(1, "Cannot edit a directory: %s", name), -1;
    // A FIFO, device or socket would block the open or stream without end.
    if (!S_ISREG(st->st_mode)) return QuorlError(1, "Not a regular file: %s", name), -1;
    if (access(name, R_OK) != 0) return QuorlError(1, "Can not read file (protected): %s", name), -1;
    // No write bit at all counts as read-only even for the superuser, whose access() says
    // yes: version control leaves checked-in files that way, and the first edit checks out.
    return access(name, W_OK) == 0 && (st->st_mode & 0222) ? 2 : 1;
}

static const Language* languageOf(const char* name) {
    FileColouring* colouring = fileColouring.find();
    return colouring ? colouring->languageOf(name) : nullptr;
}

void FileFillup(File* file, int64_t size) {
    FileCacheInit(file, size);
    file->loadReadOnly = false;
    gen_free(file->tempName);
    file->tempName = TempFileName();
    if (!file->tempName) {
        GenStr name(gen_copy(file->name));
        FileFree(file);
        Panic("Can't open temp file: %s", name.get());
    }
    int src = gen_openregular(file->name);
    if (src < 0) {
        GenStr name(gen_copy(file->name));
        FileFree(file);
        Panic("Can't open file: %s", name.get());
    }
    int temp = CacheOpen(file->tempName, 1);
    if (temp < 0) {
        close(src);
        GenStr name(gen_copy(file->name));
        FileFree(file);
        Panic("Can't open temp file: %s", name.get());
    }
    file->language = languageOf(file->name);
    bool loaded;
    {
        // An abort is reported once this scope closes, when the temp file is gone.
        std::string what = std::string("Loading ") + gen_basename(file->name);
        WLongWork loading(what.c_str());
        loaded = FileLoad(file, temp, src, 0, nullptr);
        if (!loaded) FileFree(file); // its temp file goes with it
    }
    if (!loaded) {
        if (fileLoadAborted) {
            gen_checksignal();
            throw PanicError{gen_error_depth()}; // the abort was reported already
        }
        Panic("No space for tempfile");
    }
    file->loadSize = size;
}

static void takeOptions(File* file) {
    file->indentSize = indentsize;
    file->adaIndentSize = adaindentsize;
    file->adaContinuationSize = adacontinuationsize;
    file->wrapIndent = wrapindent;
    file->wrapColumn = (int16_t)wrapcolumn;
    file->wordWrap = wordwrap != 0;
}

File* FileF_File(const char* name, int registerIt) {
    if (!name) return nullptr;
    struct stat st;
    int access = FileCanAccess(name, &st);
    if (access < 0) return nullptr;
    File* file = new File();
    FileVcFrontEnd* vc = file_VcFrontEnd();
    if (access == 0 && vc && vc->underVC(name) == 1) {
        file->name = gen_copy(name);
        int answer = vc->askMissing(file);
        if (answer == 0) {
            FileFree(file);
            return nullptr;
        }
        if (answer >= 2 && vc->fetch(file, answer == 3)) {
            file->fromVc = true;
            if (answer == 2)
                file->readOnly = true;
            else
                file->checkedOut = file->checkinOnClose = true;
            access = FileCanAccess(name, &st);
            if (access < 0) {
                FileFree(file);
                return nullptr;
            }
        }
    }
    if (!file->name) file->name = gen_copy(name);
    if (access == 0) {
        file->mode = 0664;
        file->diskSize = 0;
        file->isNew = true;
    } else {
        FileSetModTime(file);
        file->readOnly = file->readOnly || access == 1;
    }
    char link[1025];
    ssize_t n = readlink(name, link, sizeof link - 1);
    if (n > 0) {
        link[n] = 0;
        file->realName = gen_copy(link);
    }
    if (access == 0) {
        file->language = languageOf(name);
        file->tempName = TempFileName();
        if (!file->tempName) {
            FileFree(file);
            Panic("Can't open temp file: %s", name);
        }
    } else {
        FileFillup(file, (int64_t)st.st_size);
        file->modified = file->journalDirty = false;
    }
    if (registerIt && incr_DetectCrash(file) != 1) {
        FileFree(file);
        return nullptr;
    }
    takeOptions(file);
    file->aiCheckpointLine = -1;
    // Loading measured every line already; only a new (empty) File needs the reset.
    if (access == 0) FileFindMaxWidth(file);
    if (registerIt) FilesAddFile(file);
    file->synValidLines = 0;
    file->noAutoCheckout = preventautocheckout != 0;
    return file;
}

File* FileFFile(const char* name) {
    return FileF_File(name, 1);
}

File* FileFFileNoApplyEdits(const char* name) {
    return FileF_File(name, 0);
}

File* FileFString(File* file, const char* bytes, int64_t length) {
    if (file)
        FileFreeContents(file, 0, 1);
    else
        file = new File();
    if (length < 0) length = 0;
    gen_free(file->cache);
    file->cacheAlloc = length;
    file->cache = (char*)gen_alloc(1, (size_t)length + 1);
    if (length) memcpy(file->cache, bytes, (size_t)length);
    file->cacheLen = length;
    file->cacheBase = 0;
    file->internal = true;
    file->utf8 = Utf8Valid(bytes, (size_t)length);
    file->nonAscii = Utf8NextHigh(bytes, 0, (size_t)length) < (size_t)length;
    file->badUtf8 = false;
    file->language = languageOf(file->name);
    int64_t start = 0;
    for (int64_t i = 0; i < length; i++) {
        if (bytes[i] == '\n') {
            FileAppendS(file, bytes + start, (int)(i - start));
            start = i + 1;
        }
    }
    if (start < length) FileAppendS(file, bytes + start, (int)(length - start));
    file->synValidLines = file->nLines;
    return file;
}

File* FileFInternal(const char* label) {
    static int counter = 0;
    counter++;
    File* file = new File();
    if (!label) {
        file->name = gen_sprintf("~internal%d.tmp", counter);
    } else {
        while (*label == ' ' || *label == '\t') label++;
        int n = (int)strcspn(label, " \t\n");
        bool path = memchr(label, '/', (size_t)n) != nullptr;
        file->name = path ? gen_sprintf("%.*s%d.tmp", n, label, counter)
                          : gen_sprintf("~%.*s%d.tmp", n, label, counter);
    }
    file->mode = 0664;
    file->isNew = file->internal = true;
    file->aiCheckpointLine = -1;
    takeOptions(file);
    return file;
}

void FileFreeContents(File* file, int all, int withUndo) {
    FileFreeLines(file);
    FileDropAutoIndentCheckpoint(file);
    if (withUndo) {
        UndoFreeList(file->undo);
        UndoFreeList(file->redo);
        file->undo = file->redo = nullptr;
    }
    if (file->tempName) {
        CacheClose(file->tempName);
        gen_free(file->tempName);
        file->tempName = nullptr;
    }
    FileCacheForget(file);
    gen_free(file->cache);
    file->cache = nullptr;
    file->cacheAlloc = 0;
    file->maxWidth = 0;
    if (all) {
        FilesRemoveFile(file);
        gen_free(file->name);
        gen_free(file->realName);
        gen_free(file->version);
        file->name = file->realName = file->version = nullptr;
    }
}

void FileFree(File* file) {
    if (!file) return;
    if (file->haslock) incr_ReleaseLock(file);
    FileFreeContents(file, 1, 1);
    FileDied(file);
    delete file;
}

void FileStubout(File* file) {
    if (!file || file->stub) return;
    if (file->haslock) incr_ReleaseLock(file);
    if (file->internal || (file->isNew && !file->notAFile)) {
        FileFree(file);
        return;
    }
    if (file->checkinOnClose && !file->notAFile) {
        bool ok = true;
        if (FileVcFrontEnd* front = file_VcFrontEnd()) {
            // No window shows the File any more: the messages go to the message lines.
            GenStr msg(gen_sprintf("Checking in \"%.200s\"... ", file->name));
            WMessage(msg.get());
            ok = front->checkInOnClose(file) == 1;
            GenStr full(gen_concat(msg.get(), ok ? "OK" : "FAILED"));
            WMessage(full.get());
        }
        if (ok) {
            file->checkedOut = file->checkinOnClose = false;
            if (file->fromVc && unlink(file->name) == 0) file->fromVc = false;
        }
    }
    FileFreeContents(file, 0, 0);
    file->edits = nullptr;
    file->pops = nullptr;
    file->stub = true;
}

int LoadStubFile(File* file) {
    if (!file->stub) return 1;
    time_t oldTime = file->mtime;
    long oldNsec = file->mtimeNsec;
    file->loadReadOnly = false;
    bool tried = file->backupTried, made = file->backupMade;
    file->cacheAlloc = 32768;
    gen_free(file->cache);
    file->cache = (char*)gen_alloc(1, 32769);
    gen_free(file->tempName);
    file->tempName = TempFileName();
    if (!file->tempName) return 0;
    bool loaded = false;
    if (file->noReload) {
        loaded = true;
    } else {
        struct stat st;
        int src = gen_openregular(file->name);
        int temp = CacheOpen(file->tempName, 1);
        // The time before the text, so that a change while it is read is not taken for it.
        if (src >= 0) FileSetModTime(file);
        if (src >= 0 && temp >= 0 && fstat(src, &st) == 0 &&
            FileLoad(file, temp, src, 0, nullptr)) {
            file->loadSize = (int64_t)st.st_size;
            loaded = true;
        } else if (src >= 0) {
            close(src);
        }
    }
    if (!loaded) return 0;
    file->stub = false;
    file->readOnly = access(file->name, W_OK) != 0 || file->loadReadOnly;
    file->backupTried = tried;
    file->backupMade = made;
    file->synValidLines = 0;
    if (file->mtime != oldTime || file->mtimeNsec != oldNsec) {
        UndoFreeList(file->undo);
        UndoFreeList(file->redo);
        file->undo = file->redo = nullptr;
        file->undoBottomOnDisk = true;
    }
    return 1;
}
