// Runs a command through the shell and captures its standard output, standard
// error and exit status; for the tests of the command-line tools.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "test_support/temp_dir.h"

namespace kvr::test {

struct ProcessResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// command is passed to /bin/sh; input, when given, becomes its standard input.
inline ProcessResult RunProcess(const std::string& command, const std::string& input = {}) {
    TempDir dir;
    const std::string in = dir.Write("stdin", input);
    const std::string out = dir.File("stdout");
    const std::string err = dir.File("stderr");
    const std::string full = command + " <'" + in + "' >'" + out + "' 2>'" + err + "'";
    const int status = std::system(full.c_str());
    ProcessResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = TempDir::Read(out);
    result.err = TempDir::Read(err);
    return result;
}

inline std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

}  // namespace kvr::test
