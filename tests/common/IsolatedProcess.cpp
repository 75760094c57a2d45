// Every test program, GoogleTest or QtTest, runs with a temporary home of
// its own from before main until after it, so that no test reads or writes
// the real settings, log or personal files, even between the tests that
// set up folders of their own.
#include "common/IsolatedEnvironment.h"
#include "common/TempDir.h"

namespace {

mirovan::test::TempDir g_home;
mirovan::test::IsolatedEnvironment g_environment{g_home.Path()};

} // namespace
