#include "support/Profile.h"

#include "common/IsolatedEnvironment.h"
#include "common/TempDir.h"
#include "support/platform/Platform.h"

#include <cerrno>

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace mirovan;

class Profile : public ::testing::Test {
protected:
    test::TempDir dir;
    test::IsolatedEnvironment m_environment{dir.Path()};
};

TEST_F(Profile, MissingFileGivesDefaultsAndAWriteCreatesIt)
{
    EXPECT_EQ(profile::ReadNumber("Property", "MVListPos", 6553700), 6553700u);
    EXPECT_TRUE(profile::WriteNumber("Property", "MVListPos", 42));
    EXPECT_TRUE(profile::WriteNumber("Property", "MVListSize", 4294967295u));
    EXPECT_TRUE(profile::WriteNumber("Other", "MVListPos", 7));
    EXPECT_TRUE(profile::WriteNumber("property", "mvlistpos", 43)); // names ignore case, as on the platform
    EXPECT_EQ(profile::ReadNumber("Property", "MVListPos", 0), 43u);
    EXPECT_EQ(profile::ReadNumber("Property", "MVListSize", 0), 4294967295u);
    EXPECT_EQ(profile::ReadNumber("Other", "MVListPos", 0), 7u);
    EXPECT_EQ(test::ReadFileBytes(profile::ProfilePath()),
              "[Property]\r\nMVListPos=43\r\nMVListSize=4294967295\r\n[Other]\r\nMVListPos=7\r\n");
}

TEST_F(Profile, KeepsWhatItDoesNotUnderstand)
{
    std::filesystem::create_directories(dir.Path() / "config/Tavric");
    test::WriteFileBytes(profile::ProfilePath(), "; comment\n[Property]\nPrintHeight = 80 \ngarbage line\n[X]\nk=1\n");
    EXPECT_EQ(profile::ReadNumber("Property", "PrintHeight", 0), 80u);
    EXPECT_TRUE(profile::WriteNumber("Property", "MVListWidth", 5));
    EXPECT_EQ(test::ReadFileBytes(profile::ProfilePath()),
              "; comment\r\n[Property]\r\nPrintHeight = 80 \r\ngarbage line\r\nMVListWidth=5\r\n[X]\r\nk=1\r\n");
}

TEST_F(Profile, UnwritableFolderFailsWithoutDamage)
{
    std::filesystem::create_directories(dir.Path() / "config/Tavric");
    test::WriteFileBytes(profile::ProfilePath(), "[Property]\r\nPrintHeight=80\r\n");
    // Through the file layer, so that it fails for the superuser too.
    platform::SetFaultHook([](platform::FileStep step, const std::string&) {
        return step == platform::FileStep::CreateBeside ? EACCES : 0;
    });
    EXPECT_FALSE(profile::WriteNumber("Property", "PrintHeight", 10));
    platform::SetFaultHook(nullptr);
    EXPECT_EQ(profile::ReadNumber("Property", "PrintHeight", 0), 80u);
}
