// Finding the remote shell on PATH, and the PATH and name of the host-based
// client.
#include "launcher_settings.hpp"
#include "remote.hpp"
#include "testkit/files.hpp"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

class RemoteShellSearch : public peertest::LauncherSettings {
protected:
    // Directories a and b: a holds rsh, b holds remsh and sub/remsh; c holds
    // an rsh that may not be executed.
    void SetUp() override
    {
        for (const char* name : {"a", "b", "b/sub", "c"})
            mkdir(dir_.file(name).c_str(), 0755);
        for (const char* name : {"a/rsh", "b/remsh", "b/sub/remsh", "c/rsh"}) {
            testkit::write_file(dir_.file(name), "#!/bin/sh\n");
            chmod(dir_.file(name).c_str(), std::string(name) == "c/rsh" ? 0644 : 0755);
        }
    }
    std::string path(const char* name) const { return dir_.file(name); }

    testkit::TempDir dir_;
};

TEST_F(RemoteShellSearch, DirectoriesComeFirstThenNames)
{
    struct Case {
        std::string path, remsh;
        std::optional<std::string> found;
    };
    const std::string a = path("a"), b = path("b"), c = path("c");
    const Case cases[] = {
        {a + ":" + b, "remsh", a + "/rsh"},
        {b + ":" + a, "remsh", b + "/remsh"},
        {a + "/:" + b, "", a + "/rsh"},
        {c + ":" + b, "", std::nullopt},
        {c + ":" + b, "remsh", b + "/remsh"},
        {a + ":" + b, "sub/remsh", a + "/rsh"},
        {c + ":" + b, "sub/remsh", b + "/sub/remsh"},
        {"/nonexistent", "", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path + " -r" + c.remsh);
        setenv("PATH", c.path.c_str(), 1);
        remote_shell_commands[0] = c.remsh;
        EXPECT_EQ(FindRemoteShellCommand(), c.found);
    }
    unsetenv("PATH");
    EXPECT_EQ(FindRemoteShellCommand(), std::nullopt);
}

TEST_F(RemoteShellSearch, EmptyElementMeansTheCurrentDirectory)
{
    char* cwd = getcwd(nullptr, 0);
    ASSERT_EQ(chdir(path("a").c_str()), 0);
    for (const char* element : {":/nonexistent", "/nonexistent:", "/nonexistent::/x"}) {
        setenv("PATH", element, 1);
        EXPECT_EQ(FindRemoteShellCommand(), "rsh") << element;
    }
    EXPECT_EQ(chdir(cwd), 0);
    free(cwd);
}

class HostClient : public peertest::LauncherSettings {};

TEST_F(HostClient, PathGetsTheAddedDirectory)
{
    struct Case {
        const char* path;
        std::string added, expected;
    };
    const Case cases[] = {
        {"/usr/bin", "/opt/clients/bin", "/usr/bin:/opt/clients/bin"},
        {nullptr, "/opt/clients/bin", "/usr/bin:/bin:/opt/clients/bin"},
        {"/usr/bin", "", "/usr/bin"},
        {"", "/opt", ":/opt"},
    };
    for (const Case& c : cases) {
        addToPath[0] = c.added;
        EXPECT_EQ(FallbackPath(c.path), c.expected) << c.added;
    }
}

TEST_F(HostClient, NameLosesItsPathAndOnePrefix)
{
    const std::pair<const char*, const char*> cases[] = {
        {"qzxt.xclock", "xclock"}, {"/opt/vqm.xt.x", "xt.x"}, {"xt.qzxt.x", "qzxt.x"},
        {"xclock", "xclock"},      {"/bin/peer", "peer"},     {"xt.", ""},
    };
    for (const auto& [word, name] : cases)
        EXPECT_EQ(HostClientName(word), name) << word;
}

}  // namespace
