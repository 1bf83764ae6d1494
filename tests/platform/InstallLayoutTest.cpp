#include "platform/InstallLayout.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

TEST(InstallLayout, PrefixIsTheFolderAboveAProgramFolder) {
    EXPECT_EQ(InstallLayout::prefixOf("/usr/bin", "/fallback"), "/usr");
    EXPECT_EQ(InstallLayout::prefixOf("/opt/deckvane/bin/", "/fallback"), "/opt/deckvane");
    EXPECT_EQ(InstallLayout::prefixOf("/tmp/p/lib/deckvane", "/fallback"), "/tmp/p");
    EXPECT_EQ(InstallLayout::prefixOf("/home/a/x/../p/bin", "/fallback"), "/home/a/p");
    EXPECT_EQ(InstallLayout::prefixOf("/bin", "/fallback"), "/");
}

TEST(InstallLayout, FoldersThatOnlyLookLikeProgramFoldersGiveTheFallback) {
    EXPECT_EQ(InstallLayout::prefixOf("/home/a/mybin", "/usr/local/"), "/usr/local");
    EXPECT_EQ(InstallLayout::prefixOf("/usr/lib/deckvane-old", "/usr/local"), "/usr/local");
    EXPECT_EQ(InstallLayout::prefixOf("/usr/lib", "/usr/local"), "/usr/local");
    EXPECT_EQ(InstallLayout::prefixOf("/work/build/tests", "/usr/local"), "/usr/local");
    EXPECT_EQ(InstallLayout::prefixOf("", "/usr/local"), "/usr/local");
}

TEST(InstallLayout, DataFolderOfTheRunningProgramEndsInASlash) {
    const QString data = InstallLayout::dataDirSlash();
    EXPECT_TRUE(data.endsWith("/share/deckvane/")) << data.toStdString();
    EXPECT_FALSE(data.contains("//")) << data.toStdString();
}
