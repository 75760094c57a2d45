// Every test program runs with its own temporary home, so that no test
// reads or writes the real settings, log or personal files.
#include "common/TempDir.h"

#include <gtest/gtest.h>
#include <locale.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    mirovan::test::TempDir home;
    home.IsolateEnvironment();
    return RUN_ALL_TESTS();
}
