// Puts the launcher's settings, and the environment variables it reads and
// writes, back as they were when a test ends.
#pragma once

#include "cmdline.hpp"
#include "diagnostics.hpp"

#include <cstdlib>
#include <gtest/gtest.h>

namespace peertest {

class SavedVariable {
public:
    explicit SavedVariable(const char* name) : name_(name)
    {
        const char* value = std::getenv(name);
        if (value != nullptr)
            value_ = value;
    }
    ~SavedVariable()
    {
        if (value_)
            setenv(name_, value_->c_str(), 1);
        else
            unsetenv(name_);
    }
    SavedVariable(const SavedVariable&) = delete;
    SavedVariable& operator=(const SavedVariable&) = delete;

private:
    const char* name_;
    std::optional<std::string> value_;
};

class LauncherSettings : public ::testing::Test {
protected:
    void TearDown() override
    {
        pdaemon = saved_.pdaemon;
        timeout = saved_.timeout;
        verbose = saved_.verbose;
        failsafe = saved_.failsafe;
        termCmd = saved_.termCmd;
        terminalName = saved_.terminalName;
        addToPath = saved_.addToPath;
        remote_shell_commands = saved_.remote_shell_commands;
        prog = saved_.prog;
    }

private:
    struct Saved {
        int pdaemon = ::pdaemon, timeout = ::timeout, verbose = ::verbose, failsafe = ::failsafe;
        std::optional<std::string> termCmd = ::termCmd, terminalName = ::terminalName;
        std::vector<std::string> addToPath = ::addToPath, remote_shell_commands = ::remote_shell_commands;
        std::string prog = ::prog;
    } saved_;
    SavedVariable display_{"DISPLAY"};
    SavedVariable path_{"PATH"};
};

}  // namespace peertest
