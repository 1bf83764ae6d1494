#include "app/automation/OfficeProfile.h"

#include <gtest/gtest.h>

namespace {

TEST(OfficeProfileTest, TheSettingsGoInOnceAndTheOfficesOwnStay) {
    const QByteArray fresh = OfficeProfile::withSecuritySettings({});
    EXPECT_TRUE(fresh.startsWith("<?xml")) << fresh.toStdString();
    EXPECT_TRUE(fresh.endsWith("</oor:items>\n"));
    EXPECT_TRUE(fresh.contains("<item oor:path=\"/org.openoffice.Office.Common/Security/"
                               "Scripting\"><prop oor:name=\"BlockUntrustedRefererLinks\" "
                               "oor:op=\"fuse\"><value>true</value></prop></item>"));
    EXPECT_TRUE(fresh.contains("oor:name=\"SecureURL\" oor:op=\"fuse\"><value/>"));
    EXPECT_EQ(OfficeProfile::withSecuritySettings(fresh), fresh);

    // As the office rewrites the file: its own items, ours changed back.
    QByteArray kept = fresh;
    kept.replace("<value>true</value></prop></item>\n<item oor:path=\"/org.openoffice.Office."
                 "Common/Security/Scripting\"><prop oor:name=\"SecureURL\"",
                 "<value>false</value></prop></item>\n<item oor:path=\"/org.openoffice.Office."
                 "Common/Security/Scripting\"><prop oor:name=\"SecureURL\"");
    ASSERT_NE(kept, fresh);
    const QByteArray own = "<item oor:path=\"/org.openoffice.Setup/Office\"><prop "
                           "oor:name=\"ooSetupInstCompleted\" oor:op=\"fuse\"><value>true</value>"
                           "</prop></item>";
    kept.replace("</oor:items>", own + "\n</oor:items>");
    const QByteArray merged = OfficeProfile::withSecuritySettings(kept);
    EXPECT_TRUE(merged.contains(own));
    EXPECT_FALSE(merged.contains("BlockUntrustedRefererLinks\" oor:op=\"fuse\"><value>false"));
    EXPECT_EQ(merged.count("BlockUntrustedRefererLinks"), 1);
}

} // namespace
