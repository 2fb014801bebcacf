// tests/runtime/test_scoped.cc: the owners release on every way out of a scope, a Panic's
// unwinding included, and hand over or give up what they hold on request.
#include <fcntl.h>
#include <gtest/gtest.h>

#include <vector>

#include "runtime/error.h"
#include "runtime/scoped.h"

static bool isOpen(int fd) {
    return fcntl(fd, F_GETFD) != -1;
}

TEST(Scoped, OwnersReleaseOnPanicAndOnRequest) {
    int fd = -1;
    FILE* stream = nullptr;
    int steps = 0;
    try {
        ErrorCheck frame;
        OwnedFd owned(open("/dev/null", O_RDONLY));
        fd = owned.get();
        OwnedFile file(fopen("/dev/null", "r"));
        stream = file.get();
        ScopeGuard count([&steps] { steps++; });
        ASSERT_TRUE(isOpen(fd));
        Panic("unwinding on purpose");
    } catch (const PanicError&) {
    }
    EXPECT_FALSE(isOpen(fd));
    EXPECT_NE(stream, nullptr);
    EXPECT_EQ(steps, 1);

    OwnedFd moved;
    {
        OwnedFd first(open("/dev/null", O_RDONLY));
        fd = first.get();
        moved = std::move(first);
        EXPECT_FALSE(first.ok());
    }
    EXPECT_TRUE(isOpen(fd)); // the moved-to owner still holds it
    int kept = moved.release();
    EXPECT_EQ(kept, fd);
    EXPECT_EQ(moved.close(), 0); // nothing left to close
    EXPECT_TRUE(isOpen(kept));
    close(kept);

    {
        ScopeGuard count([&steps] { steps++; });
        count.dismiss();
    }
    EXPECT_EQ(steps, 1);
    OwnedFile unwritable(fopen("/dev/full", "w"));
    ASSERT_TRUE(unwritable.ok());
    fputs("x", unwritable.get());
    EXPECT_NE(unwritable.close(), 0); // the buffered byte could not be written
}

// ---- seams ----

#include "runtime/seam.h"

struct Probe {
    virtual int answer() = 0;

protected:
    ~Probe() = default;
};
Seam<Probe> probeSeam{"Probe", "the test"};
Seam<Probe> laterSeam{"Later", "a later issue", false};

TEST(Seam, MissingInterfaceFailsLoudlyByName) {
    struct Fixed final : Probe {
        int answer() override { return 42; }
    } fixed;
    EXPECT_EXIT(probeSeam->answer(), testing::ExitedWithCode(1),
                "interface Probe installed by the test");
    // Only this test's interface is missing: the others the runtime declares get a stand-in.
    std::vector<SeamEntry*> filled;
    for (SeamEntry* s = seam_List(); s; s = s->next)
        if (s->built && !s->impl && s != &probeSeam) {
            s->impl = &fixed;
            filled.push_back(s);
        }
    EXPECT_EXIT(seam_CheckInstalled(), testing::ExitedWithCode(1), "interface Probe");
    probeSeam.install(&fixed);
    EXPECT_EQ(probeSeam->answer(), 42);
    seam_CheckInstalled(); // the one not built is no failure
    EXPECT_EQ(laterSeam.find(), nullptr);
    bool listed = false;
    for (SeamEntry* s = seam_List(); s; s = s->next) listed = listed || s == &laterSeam;
    EXPECT_TRUE(listed);
    probeSeam.install(nullptr);
    for (SeamEntry* s : filled) s->impl = nullptr;
}
