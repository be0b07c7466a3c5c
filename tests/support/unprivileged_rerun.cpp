#include "tests/support/unprivileged_rerun.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "tests/support/temporary_directory.h"

bool RerunAsUnprivilegedUser() {
    if (geteuid() != 0) return false;
    const std::string setpriv = "/usr/bin/setpriv";
    if (access(setpriv.c_str(), X_OK) != 0) {
        ADD_FAILURE() << "setpriv (util-linux) is missing: the case cannot run unprivileged";
        return true;
    }
    // The test program may lie in a folder nobody cannot enter (root's home
    // in CI): a copy in a folder open to all runs instead.
    TemporaryDirectory folder;
    chmod(folder.Path().c_str(), 0755);
    const std::string program = folder.File("tests");
    std::error_code error;
    std::filesystem::copy_file("/proc/self/exe", program, error);
    if (error) {
        ADD_FAILURE() << "cannot copy the test program: " << error.message();
        return true;
    }
    chmod(program.c_str(), 0755);
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string filter =
        std::string("--gtest_filter=") + test->test_suite_name() + "." + test->name();
    // The leak checker's suppressions may lie where nobody cannot read them;
    // the case's leaks are not what it runs for.
    const std::string command = "cd / && " + setpriv +
                                " --reuid=65534 --regid=65534 --clear-groups env " +
                                "ASAN_OPTIONS=\"${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0\" '" +
                                program + "' '" + filter + "' 2>&1";
    std::FILE* output = popen(command.c_str(), "r");
    if (output == nullptr) {
        ADD_FAILURE() << "cannot start " << command;
        return true;
    }
    std::string text;
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, output) != nullptr) text += buffer;
    const int status = pclose(output);
    // A filter that matched nothing passes too: the case must have run.
    EXPECT_TRUE(status == 0 && text.find("[  PASSED  ] 1 test.") != std::string::npos)
        << "as user 65534:\n"
        << text;
    return true;
}
