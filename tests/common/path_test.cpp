#include <gtest/gtest.h>

#include "common/path.h"

TEST(Path, FolderPartKeepsItsBackslash)
{
    char folder[16];
    EXPECT_TRUE(FolderOfPath("C:\\Tools\\app.exe", folder));
    EXPECT_STREQ(folder, "C:\\Tools\\");
    EXPECT_TRUE(FolderOfPath("C:\\Tools\\", folder));
    EXPECT_STREQ(folder, "C:\\Tools\\");
    EXPECT_TRUE(FolderOfPath("app.exe", folder));
    EXPECT_STREQ(folder, "");
    EXPECT_TRUE(FolderOfPath("", folder));
    EXPECT_STREQ(folder, "");
    EXPECT_FALSE(FolderOfPath("C:\\a-long-folder\\x", folder));  // does not fit: reported, not cut silently
    EXPECT_EQ(FileNameOffset("C:\\Tools\\app.exe"), 9u);
    EXPECT_EQ(FileNameOffset("app.exe"), 0u);
}
