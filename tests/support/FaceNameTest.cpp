#include "support/FaceName.h"

#include "support/Codepage.h"

#include <gtest/gtest.h>

using namespace mirovan;

TEST(FaceName, LongNamesAreCutAtACharacterBoundary)
{
    char field[64];
    const std::string longName =
        codepage::FromUtf8(std::string(40, 'a') + "明朝明朝明朝明朝明朝明朝").value(); // 64 bytes
    SetFaceName(field, longName);
    EXPECT_EQ(std::string(field).size(), 62u); // 63 would split a character
    EXPECT_TRUE(codepage::ToUtf8(field).has_value());
    EXPECT_EQ(codepage::WholeCharacterPrefix(longName, 31), 31u);
    EXPECT_EQ(codepage::WholeCharacterPrefix(longName, 41), 40u);
}
